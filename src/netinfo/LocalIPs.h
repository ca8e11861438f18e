// The host's own IPv4 addresses, and the scan prefix chosen from them at start-up.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

namespace velmaro {

namespace platform {
class Platform;
}

// Every IPv4 address of the host as dotted text, loopback included, in the order of the
// host's address table; empty when the table cannot be read or holds more than 21.
QStringList GetLocalIPs(platform::Platform& platform);

// The ordering and formatting behind GetLocalIPs, over addresses in host byte order.
QStringList OrderLocalAddresses(std::vector<quint32> addresses);

struct NetworkPrefix {
  QString localIP;                // becomes m_sLocalIP
  std::array<QString, 3> octets;  // texts for the three prefix boxes; empty keeps a box
};

// The start-up preset: nothing when fewer than two addresses are known.
std::optional<NetworkPrefix> ChooseNetworkPrefix(const QStringList& addresses);

}  // namespace velmaro
