// Address texts of the echo engine read the way the classic socket conversion reads them,
// except that a text it cannot convert never becomes an address to send to.
#pragma once

#include <QStringView>
#include <QtGlobal>
#include <optional>

namespace velmaro {

// One to four parts separated by ".", each decimal, octal (leading 0) or hexadecimal
// (leading 0x); the last part fills the bytes that remain ("10.1" is 10.0.0.1). Trailing
// blanks are allowed. Host byte order. Nothing for a text that does not convert, and for
// 255.255.255.255: the conversion's no-address value, which would be a broadcast ping.
std::optional<quint32> EchoAddressFromText(QStringView text);

}  // namespace velmaro
