#include "support/Ipv4Text.h"

namespace velmaro {

QString DottedAddress(quint32 address) {
  return QStringLiteral("%1.%2.%3.%4")
      .arg((address >> 24) & 0xFF)
      .arg((address >> 16) & 0xFF)
      .arg((address >> 8) & 0xFF)
      .arg(address & 0xFF);
}

std::optional<quint32> ParseDottedAddress(QStringView text) {
  quint32 address = 0;
  int parts = 0;
  for (QStringView part : text.tokenize(u'.')) {
    if (++parts > 4 || part.isEmpty() || part.size() > 3) return std::nullopt;
    uint value = 0;
    for (QChar c : part) {
      if (c < u'0' || c > u'9') return std::nullopt;
      value = value * 10 + (c.unicode() - u'0');
    }
    if (value > 255) return std::nullopt;
    address = (address << 8) | value;
  }
  if (parts != 4) return std::nullopt;
  return address;
}

}  // namespace velmaro
