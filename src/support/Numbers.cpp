#include "support/Numbers.h"

#include <QString>
#include <cmath>
#include <limits>

#include "support/VbError.h"

namespace velmaro {
namespace {

bool isIgnorable(QChar c) { return c == u' ' || c == u'\t' || c == u'\n'; }

// The text with every ignorable character dropped. Bounded by the caller's text,
// which every box limits; the longest input we read is a datagram line.
QString squeezed(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (QChar c : text) {
    if (!isIgnorable(c)) out.append(c);
  }
  return out;
}

double radixNumber(QStringView digits, int base) {
  // Leading zeros carry no value; more than 32 significant bits cannot be an integer
  // of the runtime, so such a text reads as the plain (large) value and fails later.
  double value = 0;
  for (QChar c : digits) {
    const int d = DigitValue(c, base);
    if (d < 0) break;
    value = value * base + d;
  }
  if (value <= 0xFFFF) {
    return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
  }
  if (value <= 0xFFFFFFFFu) {
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
  }
  return value;
}

}  // namespace

int DigitValue(QChar c, int base) {
  const char16_t u = c.unicode();
  int v = -1;
  if (u >= u'0' && u <= u'9') v = u - u'0';
  else if (u >= u'a' && u <= u'f') v = u - u'a' + 10;
  else if (u >= u'A' && u <= u'F') v = u - u'A' + 10;
  return v >= 0 && v < base ? v : -1;
}

std::uint64_t LeadingHexValue(QStringView text) {
  std::uint64_t value = 0;
  for (const QChar c : text) {
    const int digit = DigitValue(c, 16);
    if (digit < 0) break;
    value = value * 16 + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFF'FFFFULL) value = kLeadingHexCeiling;
  }
  return value;
}

double LeadingNumber(QStringView text) {
  const QString s = squeezed(text);
  const qsizetype n = s.size();
  if (n >= 2 && s[0] == u'&') {
    const QChar kind = s[1].toUpper();
    if (kind == u'H') return radixNumber(QStringView(s).mid(2), 16);
    if (kind == u'O') return radixNumber(QStringView(s).mid(2), 8);
    return 0;
  }
  // Collect the longest prefix that forms a decimal number, then let the C library
  // convert it: it rounds correctly, which hand-made accumulation does not.
  QByteArray number;
  qsizetype i = 0;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) number.append(char(s[i++].unicode()));
  bool digits = false;
  bool point = false;
  while (i < n) {
    const QChar c = s[i];
    if (c.isDigit() && c.unicode() < 128) {
      digits = true;
      number.append(char(c.unicode()));
    } else if (c == u'.' && !point) {
      point = true;
      number.append('.');
    } else {
      break;
    }
    ++i;
  }
  if (!digits) return 0;
  if (i < n && (s[i].toUpper() == u'E' || s[i].toUpper() == u'D')) {
    qsizetype j = i + 1;
    QByteArray exponent("e");
    if (j < n && (s[j] == u'+' || s[j] == u'-')) exponent.append(char(s[j++].unicode()));
    bool expDigits = false;
    while (j < n && s[j] >= u'0' && s[j] <= u'9') {
      expDigits = true;
      exponent.append(char(s[j++].unicode()));
    }
    if (expDigits) number.append(exponent);
  }
  return std::strtod(number.constData(), nullptr);
}

bool IsPlainNumber(QStringView text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  auto skipBlanks = [&] {
    while (i < n && (text[i] == u' ' || text[i] == u'\t')) ++i;
  };
  auto digitRun = [&] {
    const qsizetype start = i;
    while (i < n && text[i] >= u'0' && text[i] <= u'9') ++i;
    return i > start;
  };
  skipBlanks();
  if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
  bool mantissa = digitRun();
  if (i < n && text[i] == u'.') {
    ++i;
    mantissa = digitRun() || mantissa;
  }
  if (!mantissa) return false;
  if (i < n && (text[i].toUpper() == u'E' || text[i].toUpper() == u'D')) {
    ++i;
    if (i < n && (text[i] == u'+' || text[i] == u'-')) ++i;
    if (!digitRun()) return false;
  }
  skipBlanks();
  return i == n;
}

double RoundHalfEven(double value) {
  // nearbyint honours the current rounding mode, which is round-to-nearest-even unless
  // someone changed it; do it by hand so no library state can change the result.
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff < 0.5) return floor;
  if (diff > 0.5) return floor + 1;
  return std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
}

std::int64_t ToWhole(double value, std::int64_t low, std::int64_t high) {
  if (!std::isfinite(value)) throw err::overflow();
  const double r = RoundHalfEven(value);
  if (r < static_cast<double>(low) || r > static_cast<double>(high)) throw err::overflow();
  return static_cast<std::int64_t>(r);
}

std::uint8_t ToByte(double value) { return static_cast<std::uint8_t>(ToWhole(value, 0, 255)); }
std::int16_t ToInt16(double value) {
  return static_cast<std::int16_t>(ToWhole(value, -32768, 32767));
}
std::int32_t ToInt32(double value) {
  return static_cast<std::int32_t>(
      ToWhole(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}
std::uint16_t ToUInt16(double value) {
  return static_cast<std::uint16_t>(ToWhole(value, 0, 65535));
}

QString NumberText(double value) {
  if (value == std::floor(value) && std::fabs(value) < 1e15) {
    return QString::number(static_cast<qint64>(value));
  }
  QString t = QString::number(value, 'g', 15);
  return t.toUpper();
}

}  // namespace velmaro
