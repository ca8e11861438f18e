// Reading numbers out of user and network text, and the one rounding rule used everywhere.
#pragma once

#include <QStringView>
#include <cstdint>

namespace velmaro {

// Numeric value of a text's leading number. Blanks, tabs and line feeds anywhere are
// ignored; then a decimal number (sign, digits, one ".", exponent with E or D) is read up
// to the first character that does not fit. "&H" / "&O" read a hexadecimal or octal whole
// number: a value that fits in 16 bits is a signed 16-bit number (&HFFFF is -1), a longer
// one a signed 32-bit number. No number at the start reads as 0. Never fails: a value too
// large for a double reads as infinity, which every whole-number conversion then refuses.
double LeadingNumber(QStringView text);

// The value of one digit in `base` (up to 16, letters in either case); -1 when the
// character is not such a digit.
int DigitValue(QChar c, int base);

// Values above 32 bits all read as this: a run of hex digits stops growing there.
inline constexpr std::uint64_t kLeadingHexCeiling = 0x1'0000'0000ULL;

// The value of the hexadecimal digits at the start of a text, up to the first character
// that is not one; 0 when there is none. Never overflows, however long the run: a value
// above 0xFFFFFFFF reads as kLeadingHexCeiling.
std::uint64_t LeadingHexValue(QStringView text);

// True when the whole text is a plain decimal number: optional blanks, optional sign,
// digits with an optional decimal part and exponent, optional blanks.
bool IsPlainNumber(QStringView text);

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);

// Whole-number conversions: round half to even, then fail with Overflow (error 6)
// outside the target's range.
std::int64_t ToWhole(double value, std::int64_t low, std::int64_t high);
std::uint8_t ToByte(double value);
std::int16_t ToInt16(double value);
std::int32_t ToInt32(double value);
std::uint16_t ToUInt16(double value);

// Shortest decimal form of a number, as the text boxes show it ("750", "0.5", "1E+20").
QString NumberText(double value);

}  // namespace velmaro
