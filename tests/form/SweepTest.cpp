// The sweep turning answers and misses into rows, its labels, its time-outs and the ways
// it must end cleanly.
#include <gtest/gtest.h>

#include <ostream>

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTimer>

#include "SweepTestSupport.h"
#include "form/SweepEnrichment.h"
#include "identify/HttpFetch.h"
#include "platform/Advice.h"
#include "scan/ClassPingBase.h"
#include "support/AppPaths.h"
#include "support/StepTrap.h"

namespace velmaro {
namespace {

using test::ipv4;
using test::SweepRig;

const QRegularExpression kPingTime(QStringLiteral("^\\d+ ms$"));

void expectIdleWindow(const SweepRig& rig) {
  EXPECT_TRUE(rig.controls.idleFlag);
  EXPECT_FALSE(rig.controls.panelVisible);
  EXPECT_FALSE(rig.controls.busyCursor);
}

TEST(Sweep, FreshListKeepsOnlyTheHostsThatAnswer) {
  SweepRig rig;
  rig.controls.checks[CheckBox::UpdateOnly] = 0;
  rig.addRow("10.0.0.9", "Old", "4 ms");
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-3");
  rig.net.answer(ipv4("192.168.0.2"));

  rig.sweep.cmdScanPing_Click();

  ASSERT_EQ(rig.list.count(), 1);
  const RowId r = rig.list.rowAt(1);
  EXPECT_EQ(rig.list.text(r), QStringLiteral("192.168.0.2"));
  EXPECT_EQ(rig.list.tag(r), QStringLiteral("192.168.0.2"));
  EXPECT_EQ(rig.list.icon(r), RowIcon::None);
  EXPECT_EQ(rig.cell(r, "name"), QStringLiteral("???"));
  EXPECT_TRUE(kPingTime.match(rig.cell(r, "ping")).hasMatch()) << rig.cell(r, "ping").toStdString();
  EXPECT_EQ(rig.net.sent.size(), 3u);
  expectIdleWindow(rig);
  EXPECT_TRUE(rig.log.reports.isEmpty());
}

TEST(Sweep, FreshListAppendsEvenWhenTheAddressHasARow) {
  SweepRig rig;
  rig.controls.checks[CheckBox::UpdateOnly] = 0;
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("2-2");
  rig.net.answer(ipv4("192.168.0.2"));
  rig.sweep.cmdScanPing_Click();
  rig.sweep.cmdScanPing_Click();
  // Fresh-list mode empties the list first, so the second sweep leaves one row.
  EXPECT_EQ(rig.list.count(), 1);
}

TEST(Sweep, UpdateModeFlagsAMissRemovesOnTheSecondAndClearsOnAnAnswer) {
  SweepRig rig;
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("4-6");
  const RowId five = rig.addRow("192.168.0.5", "Unit five", "3 ms");
  rig.net.answer(ipv4("192.168.0.4"));

  // First sweep: .5 silent.
  rig.sweep.cmdScanPing_Click();
  ASSERT_TRUE(rig.list.exists(five));
  EXPECT_EQ(rig.cell(five, "ping"), QStringLiteral("???"));
  EXPECT_EQ(rig.list.icon(five), RowIcon::Remove);
  EXPECT_EQ(rig.cell(five, "name"), QStringLiteral("Unit five"));
  const auto four = rig.row("192.168.0.4");
  ASSERT_TRUE(four.has_value());
  EXPECT_EQ(rig.list.icon(*four), RowIcon::Add);
  EXPECT_EQ(rig.cell(*four, "name"), QStringLiteral("???"));
  EXPECT_FALSE(rig.row("192.168.0.6").has_value());

  // Second sweep: .5 answers again, the flag goes; .4 is known now, so no "add".
  rig.net.answer(ipv4("192.168.0.5"));
  rig.list.setTag(five, QStringLiteral("stale"));
  rig.sweep.cmdScanPing_Click();
  ASSERT_TRUE(rig.list.exists(five));
  EXPECT_EQ(rig.list.icon(five), RowIcon::None);
  EXPECT_EQ(rig.list.tag(five), QStringLiteral("192.168.0.5"));
  EXPECT_TRUE(kPingTime.match(rig.cell(five, "ping")).hasMatch());
  EXPECT_EQ(rig.cell(five, "name"), QStringLiteral("Unit five"));
  EXPECT_EQ(rig.list.icon(*four), RowIcon::None);
  EXPECT_EQ(rig.list.count(), 2);

  // Third and fourth sweeps: .5 silent twice, flagged then removed.
  rig.net.silence(ipv4("192.168.0.5"));
  rig.sweep.cmdScanPing_Click();
  ASSERT_TRUE(rig.list.exists(five));
  EXPECT_EQ(rig.list.icon(five), RowIcon::Remove);
  rig.sweep.cmdScanPing_Click();
  EXPECT_FALSE(rig.list.exists(five));
  EXPECT_TRUE(rig.list.exists(*four));
  EXPECT_TRUE(rig.log.reports.isEmpty()) << rig.log.reports.join(u'\n').toStdString();
}

// A host whose requests find the system's queue full for a moment is still live: two such
// sweeps in update mode keep its row.
TEST(Sweep, UpdateModeKeepsALiveRowWhoseRequestsWereRefusedForNow) {
  SweepRig rig;
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("5-5");
  const RowId five = rig.addRow("192.168.0.5", "Unit five", "3 ms");
  rig.net.answer(ipv4("192.168.0.5"));
  for (int sweep = 0; sweep < 2; ++sweep) {
    rig.net.refuseForNow(ipv4("192.168.0.5"), 2);
    rig.sweep.cmdScanPing_Click();
    ASSERT_TRUE(rig.list.exists(five)) << "sweep " << sweep;
    EXPECT_EQ(rig.list.icon(five), RowIcon::None);
    EXPECT_TRUE(kPingTime.match(rig.cell(five, "ping")).hasMatch());
  }
}

TEST(Sweep, UpdateModeLeavesRowsOutsideTheRangeWithAnEmptyPing) {
  SweepRig rig;
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-2");
  const RowId outside = rig.addRow("192.168.0.100", "Far", "5 ms");
  rig.list.setIcon(outside, RowIcon::Add);
  rig.sweep.cmdScanPing_Click();
  ASSERT_TRUE(rig.list.exists(outside));
  EXPECT_EQ(rig.cell(outside, "ping"), QString());
  EXPECT_EQ(rig.cell(outside, "name"), QStringLiteral("Far"));
  EXPECT_EQ(rig.list.icon(outside), RowIcon::Add);
}

TEST(Sweep, NamesTheHostsOwnAddressLocalhost) {
  for (int update : {0, 1}) {
    SweepRig rig;
    rig.controls.checks[CheckBox::UpdateOnly] = update;
    rig.localIP = QStringLiteral("192.168.0.2");
    rig.addRow("192.168.0.2", "Named before", "");
    rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-3");
    rig.net.answer(ipv4("192.168.0.2"));
    rig.net.answer(ipv4("192.168.0.3"));
    rig.sweep.cmdScanPing_Click();
    const auto own = rig.row("192.168.0.2");
    ASSERT_TRUE(own.has_value()) << update;
    EXPECT_EQ(rig.cell(*own, "name"), QStringLiteral("LOCALHOST")) << update;
    EXPECT_EQ(rig.cell(*rig.row("192.168.0.3"), "name"), QStringLiteral("???")) << update;
  }
}

TEST(Sweep, LabelsTellTheCountAndTheWindowIsBusyMeanwhile) {
  SweepRig rig;
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("7-7");
  rig.net.answer(ipv4("192.168.0.7"));
  bool busyWhileAnswering = false;
  QObject::connect(&rig.list, &QAbstractItemModel::rowsInserted, [&] {
    busyWhileAnswering =
        !rig.controls.idleFlag && rig.controls.panelVisible && rig.controls.busyCursor;
  });
  rig.sweep.cmdScanPing_Click();
  EXPECT_EQ(rig.controls.statusHistory,
            (QStringList{QStringLiteral("Initializing scan. Please wait."),
                         QStringLiteral("Pinging 1 addresses. Please wait.")}));
  EXPECT_TRUE(busyWhileAnswering);
  expectIdleWindow(rig);
}

struct TimeoutBoxCase {
  const char* box;
  const char* normalised;
};
// Shown in test names, so a failing case says which text it was.
void PrintTo(const TimeoutBoxCase& c, std::ostream* os) { *os << '"' << c.box << '"'; }

class SweepTimeoutBoxTest : public ::testing::TestWithParam<TimeoutBoxCase> {};

TEST_P(SweepTimeoutBoxTest, NormalisesTheBoxBeforePinging) {
  SweepRig rig;
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("7-7");
  rig.controls.texts[TextBox::PingTO] = QString::fromLatin1(GetParam().box);
  rig.net.answer(ipv4("192.168.0.7"));
  rig.sweep.cmdScanPing_Click();
  EXPECT_EQ(rig.controls.texts[TextBox::PingTO], QString::fromLatin1(GetParam().normalised));
  EXPECT_EQ(rig.net.sent.size(), 1u);
  EXPECT_TRUE(rig.log.reports.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, SweepTimeoutBoxTest,
    ::testing::Values(TimeoutBoxCase{"20", "100"}, TimeoutBoxCase{"", "100"},
                      TimeoutBoxCase{"-500", "100"}, TimeoutBoxCase{"99.9", "100"},
                      TimeoutBoxCase{"750 ms", "750"}, TimeoutBoxCase{"500", "500"},
                      TimeoutBoxCase{"0500", "500"}, TimeoutBoxCase{"1e3", "1000"},
                      TimeoutBoxCase{"150.5", "150.5"}));

// With T = 400 the whole list of one address would get 200 ms, yet a request 800 ms; a
// host answering after 400 ms answered inside the time-out the user chose.
TEST(Sweep, OverallTimeOutNeverEndsBeforeARequestMay) {
  SweepRig rig;
  rig.controls.checks[CheckBox::UpdateOnly] = 0;
  rig.controls.texts[TextBox::PingTO] = QStringLiteral("400");
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("7-7");
  rig.net.answer(ipv4("192.168.0.7"), 400);
  rig.sweep.cmdScanPing_Click();
  ASSERT_EQ(rig.list.count(), 1);
  EXPECT_TRUE(kPingTime.match(rig.cell(rig.list.rowAt(1), "ping")).hasMatch());
}

// Each request gets twice the box's time-out: an answer after 1.5 T still counts.
TEST(Sweep, EachRequestWaitsTwiceTheTimeOut) {
  SweepRig rig;
  rig.controls.checks[CheckBox::UpdateOnly] = 0;
  rig.controls.texts[TextBox::PingTO] = QStringLiteral("200");
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-8");
  rig.net.answer(ipv4("192.168.0.3"), 300);
  rig.sweep.cmdScanPing_Click();
  ASSERT_EQ(rig.list.count(), 1);
  EXPECT_EQ(rig.list.text(rig.list.rowAt(1)), QStringLiteral("192.168.0.3"));
}

struct HugeTimeoutCase {
  const char* box;
  const char* range;
  std::vector<int> lines;  // reported lines, in order
};
void PrintTo(const HugeTimeoutCase& c, std::ostream* os) {
  *os << '"' << c.box << " over " << c.range << '"';
}

class SweepHugeTimeoutTest : public ::testing::TestWithParam<HugeTimeoutCase> {};

TEST_P(SweepHugeTimeoutTest, ReportsAndPingsNothing) {
  SweepRig rig;
  rig.controls.texts[TextBox::PingTO] = QString::fromLatin1(GetParam().box);
  rig.controls.texts[TextBox::IPScan] = QString::fromLatin1(GetParam().range);
  const RowId kept = rig.addRow("192.168.0.1", "Kept", "1 ms");
  bool enriched = false;
  rig.sweep.setEnrichment([&](StepTrap&) { enriched = true; });
  EXPECT_EQ(rig.sweep.cmdScanPing_Click(), ScanOutcome::TimeoutTooLarge);
  QStringList expected;
  for (int line : GetParam().lines) {
    expected.append(
        QStringLiteral(
            "Error 6 (Overflow) in procedure cmdScanPing_Click of Form frmMain on line %1")
            .arg(line));
  }
  EXPECT_EQ(rig.log.reports, expected);
  EXPECT_TRUE(rig.net.sent.empty());
  EXPECT_EQ(rig.net.opened, 0);
  // Nothing was pinged, so nothing was missed.
  EXPECT_EQ(rig.list.icon(kept), RowIcon::None);
  EXPECT_TRUE(enriched);
  expectIdleWindow(rig);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, SweepHugeTimeoutTest,
    ::testing::Values(HugeTimeoutCase{"3e9", "1-1", {540}},           // 2 x T too large
                      HugeTimeoutCase{"1e9", "1-254", {540}},         // N x T / 2 too large
                      HugeTimeoutCase{"1e999", "1-2", {520, 540}}));  // not a number at all

TEST(Sweep, LargestTimeOutThatFitsStillPings) {
  SweepRig rig;
  rig.controls.texts[TextBox::PingTO] = QStringLiteral("1e9");  // 2e9 and 5e8 both fit
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-1");
  rig.net.answer(ipv4("192.168.0.1"));
  EXPECT_EQ(rig.sweep.cmdScanPing_Click(), ScanOutcome::Completed);
  EXPECT_TRUE(rig.log.reports.isEmpty()) << rig.log.reports.join(u'\n').toStdString();
  EXPECT_EQ(rig.list.count(), 1);
}

TEST(Sweep, NoEchoSocketIsReportedOnceAndFlagsNoRow) {
  SweepRig rig;
  rig.net.denyPermission(true);
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-3");
  const RowId two = rig.addRow("192.168.0.2", "Unit", "2 ms");
  for (int sweep = 0; sweep < 2; ++sweep) {
    EXPECT_EQ(rig.sweep.cmdScanPing_Click(), ScanOutcome::EchoNotPermitted);
  }

  ASSERT_EQ(rig.log.reports.size(), 2);  // one per sweep
  EXPECT_EQ(rig.log.reports.first(),
            QStringLiteral("Error 70 (Permission denied) in procedure cmdScanPing_Click of Form "
                           "frmMain on line 540"));
  ASSERT_EQ(rig.notice.boxes.size(), 2);
  const QString box = rig.notice.boxes.first();
  EXPECT_TRUE(box.contains(platform::EchoPermissionSteps(ProgramBesideThis(u"velmaro-cli"))))
      << box.toStdString();
#ifndef Q_OS_WIN
  // The range first; the capability second and only for the command line program.
  const qsizetype range = box.indexOf(u"net.ipv4.ping_group_range=\"0 2147483647\"");
  EXPECT_GE(range, 0);
  EXPECT_LT(range, box.indexOf(u"setcap cap_net_raw+ep"));
  EXPECT_TRUE(box.contains(QStringLiteral("sudo setcap cap_net_raw+ep \"%1/velmaro-cli\"")
                               .arg(QCoreApplication::applicationDirPath())))
      << box.toStdString();
#endif
  EXPECT_FALSE(box.contains(u"as root")) << box.toStdString();
  // Two sweeps that could not ask anybody must not take the row for gone.
  ASSERT_TRUE(rig.list.exists(two));
  EXPECT_EQ(rig.list.icon(two), RowIcon::None);
  expectIdleWindow(rig);
}

TEST(Sweep, RowVanishingInAHandlerIsReportedAndTheSweepGoesOn) {
  SweepRig rig;
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-2");
  rig.net.answer(ipv4("192.168.0.1"), 1);
  rig.net.answer(ipv4("192.168.0.2"), 60);
  // Something handled while the sweep runs (a broadcast scan) empties the list just after
  // the first new row got its icon.
  bool cleared = false;
  QObject::connect(&rig.list, &QAbstractItemModel::dataChanged,
                   [&](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                     if (!cleared && roles.contains(Qt::DecorationRole)) {
                       cleared = true;
                       rig.list.clear();
                     }
                   });
  rig.sweep.cmdScanPing_Click();
  ASSERT_TRUE(cleared);
  ASSERT_EQ(rig.log.reports.size(), 1);
  EXPECT_EQ(rig.log.reports.first(),
            QStringLiteral("Error 91 (Object variable or With block variable not set) in "
                           "procedure cmdScanPing_Click of Form frmMain on line 540"));
  ASSERT_EQ(rig.list.count(), 1);
  EXPECT_EQ(rig.list.text(rig.list.rowAt(1)), QStringLiteral("192.168.0.2"));
  expectIdleWindow(rig);
}

TEST(Sweep, HandlerOutsideASweepReportsUnderTheSweep) {
  SweepRig rig;
  const RowId r = rig.addRow("192.168.0.9", "X", "");
  QObject::connect(&rig.list, &QAbstractItemModel::dataChanged, [&] {
    if (rig.list.count() > 0) rig.list.clear();
  });
  rig.sweep.m_clsPingBase_PingFail(QStringLiteral("192.168.0.9"), -1, 0);
  EXPECT_FALSE(rig.list.exists(r));
  ASSERT_EQ(rig.log.reports.size(), 1);
  EXPECT_TRUE(rig.log.reports.first().startsWith(u"Error 91 "));
}

TEST(Sweep, EnrichmentRunsAfterTheEchoesUnderTheSweepsTrap) {
  SweepRig rig;
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-2");
  rig.net.answer(ipv4("192.168.0.1"));
  int rowsSeen = -1;
  bool windowBusy = false;
  rig.sweep.setEnrichment([&](StepTrap& trap) {
    rowsSeen = rig.list.count();
    windowBusy = !rig.controls.idleFlag && rig.controls.panelVisible;
    trap.step(630, [] { throw err::objectNotSet(); });
  });
  rig.sweep.cmdScanPing_Click();
  EXPECT_EQ(rowsSeen, 1);
  EXPECT_TRUE(windowBusy);
  ASSERT_EQ(rig.log.reports.size(), 1);
  EXPECT_TRUE(
      rig.log.reports.first().endsWith(u"procedure cmdScanPing_Click of Form frmMain on line 630"));
  expectIdleWindow(rig);
}

// Rows that vanish during the stage: every statement that reaches a missing position is
// reported under its own line, the MAC call under its test's.
TEST(Sweep, EnrichmentReportsEachStepOnAVanishedRowUnderItsLine) {
  SweepRig rig;
  for (const char* address : {"192.168.0.1", "192.168.0.2"}) rig.addRow(address, "Named", "3 ms");
  rig.controls.checks[CheckBox::ParseARP] = 1;
  // "SCAN" empties the list as the first row's MAC is written.
  QObject::connect(&rig.list, &QAbstractItemModel::dataChanged, [&] { rig.list.clear(); });
  QRandomGenerator random;
  HttpFetch http{rig.log, rig.clock, rig.platform, random};
  StepTrap trap(rig.log, QStringLiteral("cmdScanPing_Click"), Container::Form);
  RunSweepEnrichment(rig.form, trap, http);
  const QString missing = QStringLiteral(
      "Error 35600 (Index out of bounds) in procedure cmdScanPing_Click of Form frmMain on line ");
  QStringList lines;
  for (const QString& report : rig.log.reports.filter(missing)) lines << report.mid(missing.size());
  EXPECT_EQ(lines.join(u' '), u"660 700 630 630 660 700");
}

TEST(Sweep, ClickDuringASweepDoesNotReplaceTheRunningEngine) {
  SweepRig rig;
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-1");
  rig.net.answer(ipv4("192.168.0.1"));
  ClassPingBase* during = nullptr;
  QObject::connect(&rig.list, &QAbstractItemModel::rowsInserted, [&] {
    rig.sweep.cmdScanPing_Click();
    during = rig.sweep.engine();
  });
  rig.sweep.cmdScanPing_Click();
  EXPECT_EQ(rig.net.opened, 1);
  EXPECT_EQ(rig.controls.statusHistory.size(), 2);
  EXPECT_NE(during, nullptr);
  EXPECT_EQ(during, rig.sweep.engine());
}

TEST(Sweep, ClosingWhileTheListIsBuiltEndsTheSweepAtOnce) {
  SweepRig rig;
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-254");
  bool enriched = false;
  rig.sweep.setEnrichment([&](StepTrap&) { enriched = true; });
  QTimer::singleShot(0, [] { AbortAllWaits(); });
  rig.sweep.cmdScanPing_Click();
  EXPECT_TRUE(rig.net.sent.empty());
  EXPECT_FALSE(enriched);
  expectIdleWindow(rig);
}

TEST(Sweep, EachSweepGetsANewEngineAtTheWindowsBlockSize) {
  SweepRig rig;
  rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-1");
  rig.sweep.cmdScanPing_Click();
  ClassPingBase* first = rig.sweep.engine();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->NumParalellActions(), 1000);
  EXPECT_FALSE(first->ListPingRunning());
  rig.sweep.cmdScanPing_Click();
  EXPECT_EQ(rig.net.opened, 2);
  EXPECT_EQ(rig.sweep.engine()->NumParalellActions(), 1000);
}

}  // namespace
}  // namespace velmaro
