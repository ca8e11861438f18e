// The command line's address lists, text by text: what each item stands for, how items
// merge, and every text refused with its reason.
#include <gtest/gtest.h>

#include <QStringList>
#include <ostream>

#include "scan/TargetList.h"
#include "support/Ipv4Text.h"

namespace velmaro {
namespace {

struct TargetsCase {
  const char* text;
  // "first-last" ranges joined by " ", or the start of the refusal after "!".
  const char* expected;
};
void PrintTo(const TargetsCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

QString describe(const std::variant<TargetList, QString>& parsed) {
  if (const auto* error = std::get_if<QString>(&parsed)) return u'!' + *error;
  QStringList ranges;
  for (const TargetRange& range : std::get<TargetList>(parsed).ranges)
    ranges << DottedAddress(range.first) + u'-' + DottedAddress(range.last);
  return ranges.join(u' ');
}

class ParseTargetsTest : public ::testing::TestWithParam<TargetsCase> {};

TEST_P(ParseTargetsTest, ReadsTheListOrSaysWhy) {
  const TargetsCase& c = GetParam();
  const QString got = describe(ParseTargets(QString::fromLatin1(c.text)));
  EXPECT_TRUE(got.startsWith(QString::fromLatin1(c.expected))) << got.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Lists, ParseTargetsTest,
    ::testing::Values(TargetsCase{"10.1.2.7", "10.1.2.7-10.1.2.7"},
                      TargetsCase{"10.1.0.0/22", "10.1.0.1-10.1.3.254"},
                      TargetsCase{"10.1.3.9/22", "10.1.0.1-10.1.3.254"},  // host bits ignored
                      TargetsCase{"10.1.0.0/16", "10.1.0.1-10.1.255.254"},
                      TargetsCase{"10.1.2.4/31", "10.1.2.4-10.1.2.5"},
                      TargetsCase{"10.1.2.4/32", "10.1.2.4-10.1.2.4"},
                      TargetsCase{"10.1.2.1-50,10.1.3.7", "10.1.2.1-10.1.2.50 10.1.3.7-10.1.3.7"},
                      TargetsCase{"10.1.2.250-10.1.3.5", "10.1.2.250-10.1.3.5"},
                      TargetsCase{" 10.1.3.7 , 10.1.2.1-3 ", "10.1.2.1-10.1.2.3 10.1.3.7-10.1.3.7"},
                      // Overlapping and touching items merge; each address is asked once.
                      TargetsCase{"10.1.2.1-20,10.1.2.10-30,10.1.2.31", "10.1.2.1-10.1.2.31"},
                      TargetsCase{"10.1.2.0/24,10.1.2.5", "10.1.2.1-10.1.2.254"},
                      TargetsCase{"10.1.0.0/16,10.2.0.1", "!the list holds more than 65534"},
                      TargetsCase{"10.0.0.0/15", "!\"10.0.0.0/15\" is larger than a /16"},
                      TargetsCase{"10.1.0.0-10.2.0.0",
                                  "!\"10.1.0.0-10.2.0.0\" holds more than 65534"},
                      TargetsCase{"10.1.2.9-3", "!\"10.1.2.9-3\" ends before it starts"},
                      TargetsCase{"10.1.2.1-256", "!\"10.1.2.1-256\" is not an address"},
                      TargetsCase{"10.1.2.1/33", "!\"10.1.2.1/33\" is not an address"},
                      TargetsCase{"10.1.2", "!\"10.1.2\" is not an address"},
                      TargetsCase{"010.1.2.3", "!\"010.1.2.3\" is not an address"},
                      TargetsCase{"10.1.2.3/+8", "!\"10.1.2.3/+8\" is not an address"},
                      TargetsCase{"host.example", "!\"host.example\" is not an address"},
                      TargetsCase{"224.0.0.1", "!\"224.0.0.1\" reaches multicast"},
                      TargetsCase{"255.255.255.255", "!\"255.255.255.255\" reaches multicast"},
                      TargetsCase{"0.0.0.0/24", "!\"0.0.0.0/24\" reaches 0.0.0.0/8"},
                      TargetsCase{"10.1.2.3,", "!the list has an empty item"},
                      TargetsCase{"", "!the list has an empty item"}));

TEST(ParseTargets, RefusesTextsBeyondItsLimits) {
  QStringList many;
  for (int i = 0; i <= kMaxTargetItems; ++i) many << QStringLiteral("10.1.2.3");
  EXPECT_EQ(describe(ParseTargets(many.join(u','))),
            QStringLiteral("!the list has more than %1 items").arg(kMaxTargetItems));
  EXPECT_TRUE(describe(ParseTargets(QString(kMaxTargetsText + 1, u'1')))
                  .startsWith(u"!the list is longer"));
}

TEST(TargetCursor, WalksEveryAddressOnceInOrder) {
  const auto parsed = ParseTargets(u"10.1.2.254-10.1.3.1,10.9.0.0/30");
  ASSERT_TRUE(std::holds_alternative<TargetList>(parsed));
  TargetCursor cursor(std::get<TargetList>(parsed));
  QStringList walked;
  while (const auto address = cursor.next()) walked << DottedAddress(*address);
  EXPECT_EQ(walked.join(u' '), u"10.1.2.254 10.1.2.255 10.1.3.0 10.1.3.1 10.9.0.1 10.9.0.2");
  EXPECT_FALSE(cursor.next());
}

}  // namespace
}  // namespace velmaro
