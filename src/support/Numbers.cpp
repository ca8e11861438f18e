#include "support/Numbers.h"

#include <QString>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "support/VbError.h"

namespace velmaro {
namespace {

// An exponent beyond this is as good as infinite for a double.
constexpr qint64 kExponentCeiling = 1'000'000;

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
  if (u >= u'0' && u <= u'9')
    v = u - u'0';
  else if (u >= u'a' && u <= u'f')
    v = u - u'a' + 10;
  else if (u >= u'A' && u <= u'F')
    v = u - u'A' + 10;
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
  // Collect the longest prefix that forms a decimal number, then convert it with the
  // standard library's correctly rounded conversion, which never looks at the desktop's
  // locale: the point is "." even where the user writes a comma.
  std::string number;
  qsizetype i = 0;
  const bool negative = i < n && s[i] == u'-';
  if (i < n && (s[i] == u'+' || s[i] == u'-')) ++i;
  bool digits = false;
  bool point = false;
  // Where the first significant digit sits relative to the point, for telling a value too
  // large for a double from one too small.
  qint64 magnitude = 0;
  bool significant = false;
  while (i < n) {
    const QChar c = s[i];
    if (c.unicode() >= u'0' && c.unicode() <= u'9') {
      digits = true;
      if (c != u'0') significant = true;
      if (!point && significant) ++magnitude;
      if (point && !significant) --magnitude;
      number.push_back(char(c.unicode()));
    } else if (c == u'.' && !point) {
      point = true;
      number.push_back('.');
    } else {
      break;
    }
    ++i;
  }
  if (!digits) return 0;
  qint64 exponent = 0;
  if (i < n && (s[i].toUpper() == u'E' || s[i].toUpper() == u'D')) {
    qsizetype j = i + 1;
    const bool negativeExponent = j < n && s[j] == u'-';
    if (j < n && (s[j] == u'+' || s[j] == u'-')) ++j;
    bool expDigits = false;
    while (j < n && s[j] >= u'0' && s[j] <= u'9') {
      expDigits = true;
      // Far past any double's range; more digits change nothing.
      exponent = std::min<qint64>(exponent * 10 + (s[j++].unicode() - u'0'), kExponentCeiling);
    }
    if (expDigits) {
      if (negativeExponent) exponent = -exponent;
      number += 'e';
      number += std::to_string(exponent);
    }
  }
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) {
    value = significant && magnitude + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
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
  return static_cast<std::int32_t>(ToWhole(value, std::numeric_limits<std::int32_t>::min(),
                                           std::numeric_limits<std::int32_t>::max()));
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
