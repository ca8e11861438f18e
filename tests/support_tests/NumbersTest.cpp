// The shared number reading and the one rounding rule, as tables of texts and values.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "support/Numbers.h"
#include "support/VbError.h"

namespace velmaro {
namespace {

struct LeadingCase {
  const char16_t* text;
  double value;
};

TEST(LeadingNumber, ReadsTheLeadingNumberOfEveryKindOfText) {
  const LeadingCase cases[] = {
      {u"", 0},
      {u"abc", 0},
      {u"500", 500},
      {u"750 ms", 750},
      {u"  81  ", 81},
      {u" 1 ", 1},
      {u"\t4\n2", 42},  // tabs and line feeds anywhere are ignored
      {u"1 2 3", 123},  // so are blanks inside the number
      {u"- 5", -5},
      {u"+7", 7},
      {u"-", 0},
      {u"-5", -5},
      {u"1.5", 1.5},
      {u"1.5e5", 150000},  // the point is "." whatever the desktop's locale
      {u"2,5", 2},
      {u"0.1", 0.1},  // rounded correctly, not accumulated digit by digit
      {u"-0.000001", -0.000001},
      {u".5", 0.5},
      {u"1.2.3", 1.2},  // one decimal point only
      {u"007", 7},
      {u"1e2", 100},
      {u"1E3", 1000},
      {u"2d2", 200},  // D is an exponent letter too
      {u"1e", 1},     // an exponent without digits is not read
      {u"1e+", 1},
      {u"1e-1", 0.1},
      {u"12abc", 12},
      {u"1F90", 1},
      {u"&H1", 1},
      {u"&HF", 15},
      {u"&hff", 255},
      {u"&HFFFF", -1},  // fits 16 bits: signed 16-bit
      {u"&H8000", -32768},
      {u"&H7FFF", 32767},
      {u"&H10000", 65536},  // longer: signed 32-bit
      {u"&HFFFFFFFF", -1},
      {u"&H80000000", -2147483648.0},
      {u"&O17", 15},
      {u"&o777", 511},
      {u"&O8", 0},  // 8 is not an octal digit
      {u"&HG", 0},
      {u"&", 0},
      {u"&X1", 0},
      {u"\r5", 0},  // carriage return is not ignored
  };
  for (const auto& c : cases) {
    const QString text = QString::fromUtf16(c.text);
    EXPECT_DOUBLE_EQ(LeadingNumber(text), c.value) << "text: \"" << text.toStdString() << '"';
  }
}

TEST(LeadingNumber, HugeNumbersReadAsInfinityAndNeverThrow) {
  EXPECT_TRUE(std::isinf(LeadingNumber(u"1e999")));
  EXPECT_TRUE(std::isinf(LeadingNumber(u"-1e999")));
  EXPECT_NO_THROW(LeadingNumber(QString(100000, u'9')));
  EXPECT_TRUE(std::isinf(LeadingNumber(QString(400, u'9'))));
  EXPECT_TRUE(std::isinf(LeadingNumber(u"1e99999999999999999999")));
}

TEST(LeadingNumber, TinyNumbersReadAsZeroWithTheirSign) {
  EXPECT_EQ(LeadingNumber(u"1e-999"), 0.0);
  EXPECT_TRUE(std::signbit(LeadingNumber(u"-1e-999")));
  EXPECT_EQ(LeadingNumber(u"0.0000000000000000000000000000001e-300"), 0.0);
  EXPECT_EQ(LeadingNumber(u"0e99999"), 0.0);
  EXPECT_DOUBLE_EQ(LeadingNumber(u"0.001e3"), 1.0);
  EXPECT_DOUBLE_EQ(
      LeadingNumber(QStringLiteral("0.") + QString(400, u'0') + QStringLiteral("1e401")), 1.0);
}

TEST(IsPlainNumber, AcceptsOnlyDecimalNumbersWithOptionalBlanks) {
  const std::pair<const char16_t*, bool> cases[] = {
      {u"80", true},  {u" 81 ", true}, {u"-8", true},   {u"0.4", true},  {u"1e3", true},
      {u"1.", true},  {u".5", true},   {u"+1", true},   {u"1E-2", true}, {u"2D2", true},
      {u"", false},   {u" ", false},   {u"abc", false}, {u"8a", false},  {u"&H50", false},
      {u"1e", false}, {u".", false},   {u"-", false},   {u"1 2", false}, {u"1.2.3", false},
  };
  for (const auto& [text, expected] : cases) {
    EXPECT_EQ(IsPlainNumber(QString::fromUtf16(text)), expected)
        << "text: \"" << QString::fromUtf16(text).toStdString() << '"';
  }
}

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, double> cases[] = {
      {0.5, 0}, {1.5, 2}, {2.5, 2},   {3.5, 4},     {-0.5, 0},    {-1.5, -2}, {-2.5, -2},
      {2.4, 2}, {2.6, 3}, {-2.6, -3}, {250.5, 250}, {251.5, 252}, {0, 0},     {7, 7},
  };
  for (const auto& [value, expected] : cases) {
    EXPECT_EQ(RoundHalfEven(value), expected) << value;
  }
}

TEST(WholeNumbers, RangeFailuresAreOverflow) {
  EXPECT_EQ(ToByte(255.4), 255);
  EXPECT_EQ(ToByte(-0.5), 0);
  EXPECT_EQ(ToUInt16(65535), 65535);
  EXPECT_EQ(ToInt16(-32768), -32768);
  EXPECT_EQ(ToInt32(2147483647.0), 2147483647);
  EXPECT_EQ(ToInt32(63500.0), 63500);

  const auto overflows = [](auto convert) {
    try {
      convert();
    } catch (const VbError& e) {
      return e.number == 6 && e.description == QStringLiteral("Overflow");
    }
    return false;
  };
  EXPECT_TRUE(overflows([] { return ToByte(255.5); }));  // rounds to 256
  EXPECT_TRUE(overflows([] { return ToByte(-0.6); }));
  EXPECT_TRUE(overflows([] { return ToByte(300); }));
  EXPECT_TRUE(overflows([] { return ToUInt16(65536); }));
  EXPECT_TRUE(overflows([] { return ToInt16(32768); }));
  EXPECT_TRUE(overflows([] { return ToInt32(2147483648.0); }));
  EXPECT_TRUE(overflows([] { return ToInt32(std::numeric_limits<double>::infinity()); }));
  EXPECT_TRUE(overflows([] { return ToInt32(std::nan("")); }));
}

TEST(NumberText, WritesTheShortestDecimalForm) {
  EXPECT_EQ(NumberText(500), QStringLiteral("500"));
  EXPECT_EQ(NumberText(750), QStringLiteral("750"));
  EXPECT_EQ(NumberText(-8), QStringLiteral("-8"));
  EXPECT_EQ(NumberText(0.5), QStringLiteral("0.5"));
  EXPECT_EQ(NumberText(100.25), QStringLiteral("100.25"));
}

}  // namespace
}  // namespace velmaro
