// The range box and the prefix boxes as the sweep reads them, text by text.
#include <gtest/gtest.h>

#include <ostream>

#include "scan/ScanRange.h"
#include "support/VbError.h"

namespace velmaro {
namespace {

struct SplitCase {
  const char* text;
  bool splits;
  const char* first;
  const char* second;
};
// Shown in test names, so a failing case says which text it was.
void PrintTo(const SplitCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class SplitScanRangeTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitScanRangeTest, SplitsIntoExactlyTwoParts) {
  const SplitCase& c = GetParam();
  const auto parts = SplitScanRange(QString::fromLatin1(c.text));
  ASSERT_EQ(parts.has_value(), c.splits) << c.text;
  if (c.splits) {
    EXPECT_EQ(parts->first, QString::fromLatin1(c.first));
    EXPECT_EQ(parts->second, QString::fromLatin1(c.second));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SplitScanRangeTest,
    ::testing::Values(SplitCase{"1-254", true, "1", "254"}, SplitCase{"-5", true, "", "5"},
                      SplitCase{"5-", true, "5", ""}, SplitCase{"-", true, "", ""},
                      SplitCase{" 1 - 3 ", true, " 1 ", " 3 "}, SplitCase{"a-b", true, "a", "b"},
                      SplitCase{"5", false, "", ""}, SplitCase{"", false, "", ""},
                      SplitCase{"1-2-3", false, "", ""}, SplitCase{"1--3", false, "", ""},
                      SplitCase{"--", false, "", ""}));

TEST(SplitScanRange, TextPastedFarBeyondTheBoxIsRefused) {
  // Two parts, but no box of the window can hold it.
  const QString pasted = QStringLiteral("1") + QString(5000, u' ') + QStringLiteral("-3");
  EXPECT_FALSE(SplitScanRange(pasted).has_value());
  EXPECT_FALSE(SplitScanRange(QString(100000, u'-')).has_value());
  // The longest text still read is accepted.
  const QString longest = QStringLiteral("1-") + QString(kMaxRangeText - 3, u' ') + u'3';
  ASSERT_EQ(longest.size(), kMaxRangeText);
  EXPECT_TRUE(SplitScanRange(longest).has_value());
}

struct BoundCase {
  const char* text;
  int value;  // -1: Overflow
};
void PrintTo(const BoundCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class ScanBoundTest : public ::testing::TestWithParam<BoundCase> {};

TEST_P(ScanBoundTest, ReadsTheFourthOctet) {
  const BoundCase& c = GetParam();
  const QString text = QString::fromLatin1(c.text);
  if (c.value < 0) {
    try {
      ScanBound(text);
      ADD_FAILURE() << c.text << " was accepted";
    } catch (const VbError& e) {
      EXPECT_EQ(e.number, 6) << c.text;
    }
  } else {
    EXPECT_EQ(ScanBound(text), c.value) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ScanBoundTest,
    ::testing::Values(BoundCase{"1", 1}, BoundCase{"254", 254}, BoundCase{"0", 0},
                      BoundCase{"255", 255}, BoundCase{" 3 ", 3}, BoundCase{"a", 0},
                      BoundCase{"", 0}, BoundCase{"&H1", 1}, BoundCase{"&HF", 15},
                      BoundCase{"1.5", 2}, BoundCase{"2.5", 2}, BoundCase{"3.5", 4},
                      BoundCase{"255.4", 255}, BoundCase{"-0.5", 0}, BoundCase{"300", -1},
                      BoundCase{"256", -1}, BoundCase{"255.5", -1}, BoundCase{"1e3", -1},
                      BoundCase{"-1", -1}, BoundCase{"&HFFFF", -1}, BoundCase{"1e999", -1},
                      BoundCase{"2.54e2", 254}, BoundCase{"0.9", 1}));

struct PrefixCase {
  const char* box;
  const char* octet;
};
void PrintTo(const PrefixCase& c, std::ostream* os) { *os << '"' << c.box << '"'; }

class PrefixOctetTest : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(PrefixOctetTest, WritesTheShortestDecimalForm) {
  EXPECT_EQ(PrefixOctetText(QString::fromLatin1(GetParam().box)),
            QString::fromLatin1(GetParam().octet));
}

INSTANTIATE_TEST_SUITE_P(Boxes, PrefixOctetTest,
                         ::testing::Values(PrefixCase{"192", "192"}, PrefixCase{"007", "7"},
                                           PrefixCase{"", "0"}, PrefixCase{"a", "0"},
                                           PrefixCase{"1e2", "100"}, PrefixCase{"256", "256"},
                                           PrefixCase{"-1", "-1"}, PrefixCase{"1.5", "1.5"},
                                           PrefixCase{" 1 0", "10"}, PrefixCase{"&H10", "16"},
                                           PrefixCase{"1.92e2", "192"}));

TEST(ScanAddressText, JoinsThePrefixAndTheFourthOctet) {
  EXPECT_EQ(ScanAddressText(u"192", u"168", u"0", 7), QStringLiteral("192.168.0.7"));
  EXPECT_EQ(ScanAddressText(u"010", u"", u"1e2", 255), QStringLiteral("10.0.100.255"));
  EXPECT_EQ(ScanAddressText(u"10", u"0", u"0", 0), QStringLiteral("10.0.0.0"));
}

TEST(ScanRangeMessage, HasTwoBlanksAfterTheFirstSentence) {
  EXPECT_EQ(ScanRangeMessage(),
            QStringLiteral("Scan range is incorrect.  Must be of XX-YY syntax where XX is lower "
                           "or equals to YY."));
}

}  // namespace
}  // namespace velmaro
