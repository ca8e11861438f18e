// What the sweep pings for each range and prefix the user can type, and what it refuses.
#include <gtest/gtest.h>

#include <ostream>

#include "SweepTestSupport.h"
#include "scan/ScanRange.h"

namespace velmaro {
namespace {

using test::SweepRig;

QStringList addressRange(int first, int last) {
  QStringList out;
  for (int i = first; i <= last; ++i) out.append(QStringLiteral("192.168.0.%1").arg(i));
  return out;
}

struct RangeCase {
  const char* text;
  int first;  // -1: the range message
  int last;
};
// Shown in test names, so a failing case says which text it was.
void PrintTo(const RangeCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class SweepRangeTest : public ::testing::TestWithParam<RangeCase> {};

TEST_P(SweepRangeTest, PingsTheRangeInOrderOrShowsTheMessage) {
  const RangeCase& c = GetParam();
  SweepRig rig;
  rig.controls.checks[CheckBox::UpdateOnly] = 0;
  rig.answerAll("192.168.0");
  rig.controls.texts[TextBox::IPScan] = QString::fromLatin1(c.text);

  const ScanOutcome outcome = rig.sweep.cmdScanPing_Click();

  EXPECT_EQ(outcome, c.first < 0 ? ScanOutcome::BadRange : ScanOutcome::Completed) << c.text;
  if (c.first < 0) {
    EXPECT_EQ(rig.notice.boxes, QStringList{ScanRangeMessage()}) << c.text;
    EXPECT_TRUE(rig.net.sent.empty());
    EXPECT_EQ(rig.net.opened, 0);
    EXPECT_TRUE(rig.controls.statusHistory.isEmpty());
    EXPECT_FALSE(rig.controls.panelVisible);
    EXPECT_TRUE(rig.controls.idleFlag);
    EXPECT_TRUE(rig.log.reports.isEmpty()) << rig.log.reports.join(u'\n').toStdString();
    return;
  }
  const QStringList expected = addressRange(c.first, c.last);
  EXPECT_TRUE(rig.notice.boxes.isEmpty()) << c.text;
  EXPECT_EQ(rig.sentTexts(), expected) << c.text;
  EXPECT_EQ(rig.list.count(), expected.size());
  EXPECT_EQ(rig.controls.statusHistory.value(1),
            QStringLiteral("Pinging %1 addresses. Please wait.").arg(expected.size()));
  // After the sweep the cursor is back on the first address.
  EXPECT_EQ(rig.sweep.m_byScanNext, c.first);
  EXPECT_EQ(rig.sweep.m_byScanFirst, c.first);
  EXPECT_EQ(rig.sweep.m_byScanLast, c.last);
  EXPECT_TRUE(rig.log.reports.isEmpty()) << rig.log.reports.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Texts, SweepRangeTest,
                         ::testing::Values(RangeCase{"1-254", 1, 254}, RangeCase{"7-7", 7, 7},
                                           RangeCase{"0-255", 0, 255}, RangeCase{" 1 - 3 ", 1, 3},
                                           RangeCase{"a-b", 0, 0}, RangeCase{"-5", 0, 5},
                                           RangeCase{"5-", -1, 0}, RangeCase{"&H1-&HF", 1, 15},
                                           RangeCase{"1.5-3", 2, 3}, RangeCase{"2.5-3", 2, 3},
                                           RangeCase{"10-5", -1, 0}, RangeCase{"5", -1, 0},
                                           RangeCase{"", -1, 0}, RangeCase{"1-2-3", -1, 0},
                                           RangeCase{"1--3", -1, 0}, RangeCase{"-", 0, 0}));

struct BadBoundCase {
  const char* text;
  int line;
};
void PrintTo(const BadBoundCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }

class SweepBadBoundTest : public ::testing::TestWithParam<BadBoundCase> {};

TEST_P(SweepBadBoundTest, ReportsTheBoundThenRefusesTheRange) {
  SweepRig rig;
  rig.controls.texts[TextBox::IPScan] = QString::fromLatin1(GetParam().text);
  rig.sweep.cmdScanPing_Click();
  ASSERT_EQ(rig.log.reports.size(), 1);
  EXPECT_EQ(rig.log.reports.first(),
            QStringLiteral("Error 6 (Overflow) in procedure cmdScanPing_Click of Form frmMain "
                           "on line %1")
                .arg(GetParam().line));
  EXPECT_EQ(rig.notice.boxes, QStringList{ScanRangeMessage()});
  EXPECT_EQ(rig.net.opened, 0);
  EXPECT_TRUE(rig.controls.statusHistory.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Texts, SweepBadBoundTest,
                         ::testing::Values(BadBoundCase{"1-300", 80}, BadBoundCase{"300-1", 70},
                                           BadBoundCase{"1e3-4", 70}, BadBoundCase{"0-256", 80}));

TEST(SweepRange, BadBoundNeverSweepsTheRangeOfThePreviousSweep) {
  SweepRig rig;
  rig.answerAll("192.168.0");
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("2-6");
  rig.sweep.cmdScanPing_Click();
  ASSERT_EQ(rig.net.sent.size(), 5u);

  // The first bound keeps 2 and the failed second one keeps 6: a valid-looking range.
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("3-300");
  rig.sweep.cmdScanPing_Click();
  EXPECT_EQ(rig.net.sent.size(), 5u) << "swept a range the user did not type";
  EXPECT_EQ(rig.notice.boxes, QStringList{ScanRangeMessage()});
  ASSERT_EQ(rig.log.reports.size(), 1);
  EXPECT_TRUE(rig.log.reports.first().endsWith(u"on line 80"));
  EXPECT_EQ(rig.sweep.m_byScanFirst, 3);
  EXPECT_EQ(rig.sweep.m_byScanLast, 6);
}

TEST(SweepRange, PastedTextShowsTheMessage) {
  SweepRig rig;
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-3") + QString(10000, u' ');
  rig.sweep.cmdScanPing_Click();
  EXPECT_EQ(rig.notice.boxes, QStringList{ScanRangeMessage()});
  EXPECT_EQ(rig.net.opened, 0);
}

struct PrefixCase {
  const char* boxes[3];
  const char* first;  // the address built for .1
};
void PrintTo(const PrefixCase& c, std::ostream* os) {
  *os << '"' << c.boxes[0] << '.' << c.boxes[1] << '.' << c.boxes[2] << '"';
}

class SweepPrefixTest : public ::testing::TestWithParam<PrefixCase> {};

TEST_P(SweepPrefixTest, BuildsEachAddressFromTheBoxesAsTheyRead) {
  SweepRig rig;
  const PrefixCase& c = GetParam();
  for (int i = 0; i < 3; ++i) {
    rig.controls.texts[static_cast<TextBox>(static_cast<int>(TextBox::IP0) + i)] =
        QString::fromLatin1(c.boxes[i]);
  }
  rig.sweep.m_byScanFirst = rig.sweep.m_byScanNext = 1;
  rig.sweep.m_byScanLast = 2;
  EXPECT_EQ(rig.sweep.GetNextScanIP(), QString::fromLatin1(c.first));
}

INSTANTIATE_TEST_SUITE_P(Boxes, SweepPrefixTest,
                         ::testing::Values(PrefixCase{{"192", "168", "0"}, "192.168.0.1"},
                                           PrefixCase{{"", "168", "0"}, "0.168.0.1"},
                                           PrefixCase{{"1e2", "007", "0"}, "100.7.0.1"},
                                           PrefixCase{{"10", "a", " 5"}, "10.0.5.1"},
                                           PrefixCase{{"256", "168", "0"}, "256.168.0.1"},
                                           PrefixCase{{"-1", "168", "0"}, "-1.168.0.1"},
                                           PrefixCase{{"1.5", "168", "0"}, "1.5.168.0.1"}));

TEST(SweepRange, GetNextScanIPRepeatsTheLastAddress) {
  SweepRig rig;
  rig.sweep.m_byScanFirst = rig.sweep.m_byScanNext = 254;
  rig.sweep.m_byScanLast = 255;
  EXPECT_EQ(rig.sweep.GetNextScanIP(), QStringLiteral("192.168.0.254"));
  EXPECT_EQ(rig.sweep.GetNextScanIP(), QStringLiteral("192.168.0.255"));
  EXPECT_EQ(rig.sweep.GetNextScanIP(), QStringLiteral("192.168.0.255"));
  EXPECT_EQ(rig.sweep.m_byScanNext, 255);
}

TEST(SweepRange, GetNextScanIPReadsThePrefixAtEveryCall) {
  SweepRig rig;
  rig.sweep.m_byScanFirst = rig.sweep.m_byScanNext = 1;
  rig.sweep.m_byScanLast = 3;
  EXPECT_EQ(rig.sweep.GetNextScanIP(), QStringLiteral("192.168.0.1"));
  rig.controls.texts[TextBox::IP2] = QStringLiteral("9");
  EXPECT_EQ(rig.sweep.GetNextScanIP(), QStringLiteral("192.168.9.2"));
}

// A prefix box that makes no valid octet must never reach the network, least of all as
// the all-ones address; a box the conversion reads as 0 ("a") is a valid octet.
struct InvalidPrefixCase {
  const char* box0;
  bool sends;
};
void PrintTo(const InvalidPrefixCase& c, std::ostream* os) { *os << '"' << c.box0 << '"'; }

class SweepInvalidPrefixTest : public ::testing::TestWithParam<InvalidPrefixCase> {};

TEST_P(SweepInvalidPrefixTest, SendsOnlyValidAddresses) {
  SweepRig rig;
  rig.controls.texts[TextBox::IP0] = QString::fromLatin1(GetParam().box0);
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-2");
  rig.sweep.cmdScanPing_Click();
  for (quint32 a : rig.net.sent) EXPECT_NE(a, 0xFFFFFFFFu);
  EXPECT_EQ(rig.net.sent.size(), GetParam().sends ? 2u : 0u) << GetParam().box0;
  EXPECT_TRUE(rig.controls.idleFlag);
  EXPECT_FALSE(rig.controls.panelVisible);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, SweepInvalidPrefixTest,
    ::testing::Values(InvalidPrefixCase{"256", false}, InvalidPrefixCase{"-1", false},
                      InvalidPrefixCase{"1.5", false}, InvalidPrefixCase{"1e999", false},
                      InvalidPrefixCase{"a", true}, InvalidPrefixCase{"", true},
                      InvalidPrefixCase{"255", true}));

}  // namespace
}  // namespace velmaro
