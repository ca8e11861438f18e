// The host's own hardware address, and hardware addresses written as MAC text.
#pragma once

#include <QByteArray>
#include <QString>

namespace velmaro {

namespace platform {
class Platform;
}

// A hardware address as MAC text: each byte as two upper-case hexadecimal digits, joined
// by "-" ("00-0A-2B-01-80-01"); empty for no bytes.
QString MacText(const QByteArray& hardwareAddress);

// The MAC text of the host's own adapter: the one carrying `localIP`, or the adapter
// listed last when none carries it; empty when there is no adapter list or no adapter.
// The loopback interface is not an adapter.
QString GetLocalMAC(platform::Platform& platform, const QString& localIP);

}  // namespace velmaro
