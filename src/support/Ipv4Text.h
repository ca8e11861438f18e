// IPv4 addresses as the program writes and reads them: plain dotted decimal text.
#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace velmaro {

// "a.b.c.d" of a host-order address, decimals without leading zeros.
QString DottedAddress(quint32 address);

// The host-order address of strict dotted text (four decimal parts of 1 to 3 digits, each
// at most 255); nothing for anything else.
std::optional<quint32> ParseDottedAddress(QStringView text);

}  // namespace velmaro
