#include "scan/EchoAddress.h"

#include <array>

#include "support/Numbers.h"

namespace velmaro {
namespace {

// Longer than any spelling of an address with trailing blanks we would still accept.
constexpr qsizetype kMaxAddressText = 64;

// Reads one part at pos; nothing when no digit is there, a digit is out of its base or
// the value needs more than 32 bits.
std::optional<quint32> readPart(QStringView text, qsizetype& pos) {
  int base = 10;
  if (pos < text.size() && text[pos] == u'0') {
    base = 8;
    if (pos + 1 < text.size() && (text[pos + 1] == u'x' || text[pos + 1] == u'X')) {
      base = 16;
      pos += 2;
    }
  }
  const qsizetype first = pos;
  quint64 value = 0;
  while (pos < text.size()) {
    const QChar c = text[pos];
    const int d = DigitValue(c, base);
    if (d < 0) {
      // 8 and 9 in an octal part, or a letter glued to a number, spoil the part.
      if (DigitValue(c, 16) >= 0) return std::nullopt;
      break;
    }
    value = value * base + quint64(d);
    if (value > 0xFFFFFFFFull) return std::nullopt;
    ++pos;
  }
  if (pos == first && base != 8) return std::nullopt;
  return quint32(value);
}

}  // namespace

std::optional<quint32> EchoAddressFromText(QStringView text) {
  if (text.isEmpty() || text.size() > kMaxAddressText) return std::nullopt;
  std::array<quint32, 4> parts{};
  int count = 0;
  qsizetype pos = 0;
  for (;;) {
    if (pos >= text.size() || DigitValue(text[pos], 10) < 0) return std::nullopt;
    const auto part = readPart(text, pos);
    if (!part) return std::nullopt;
    parts[count++] = *part;
    if (pos < text.size() && text[pos] == u'.') {
      if (count == 4) return std::nullopt;
      ++pos;
      continue;
    }
    break;
  }
  for (qsizetype rest = pos; rest < text.size(); ++rest)
    if (!text[rest].isSpace()) return std::nullopt;

  for (int i = 0; i + 1 < count; ++i)
    if (parts[i] > 0xFF) return std::nullopt;
  const quint32 lastLimit = count == 1 ? 0xFFFFFFFFu : (0xFFFFFFFFu >> (8 * (count - 1)));
  if (parts[count - 1] > lastLimit) return std::nullopt;

  quint32 address = parts[count - 1];
  for (int i = 0; i + 1 < count; ++i) address |= parts[i] << (24 - 8 * i);
  if (address == 0xFFFFFFFFu) return std::nullopt;
  return address;
}

}  // namespace velmaro
