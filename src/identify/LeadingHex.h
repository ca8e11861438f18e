// Reading the hexadecimal digits at the start of a text, as unit replies and MAC texts
// carry them, without overflowing on long runs of digits.
#pragma once

#include <QStringView>
#include <cstdint>

namespace velmaro {

// Values above this are all "too large": reading stops growing there.
inline constexpr std::uint64_t kLeadingHexCeiling = 0x1'0000'0000ULL;

// The value of the hexadecimal digits (either case) at the start of the text, up to the
// first character that is not one; 0 when there is none. A value above 0xFFFFFFFF reads
// as kLeadingHexCeiling whatever the number of further digits.
inline std::uint64_t LeadingHexValue(QStringView text) {
  std::uint64_t value = 0;
  for (const QChar c : text) {
    const char16_t u = c.unicode();
    int digit;
    if (u >= u'0' && u <= u'9') {
      digit = u - u'0';
    } else if (u >= u'a' && u <= u'f') {
      digit = u - u'a' + 10;
    } else if (u >= u'A' && u <= u'F') {
      digit = u - u'A' + 10;
    } else {
      break;
    }
    value = value * 16 + static_cast<std::uint64_t>(digit);
    if (value > 0xFFFF'FFFFULL) value = kLeadingHexCeiling;
  }
  return value;
}

}  // namespace velmaro
