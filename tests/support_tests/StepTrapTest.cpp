// The numbered-step convention: a failing step is reported and the next one runs; a
// failing condition counts as satisfied.
#include <gtest/gtest.h>

#include "support/RecordingReporter.h"
#include "support/StepTrap.h"

namespace velmaro {
namespace {

TEST(StepTrap, FailingStepIsReportedAndTheProcedureGoesOn) {
  test::RecordingReporter log;
  StepTrap trap(log, QStringLiteral("ARP_LoadTable"), Container::Module);
  QStringList ran;
  trap.step(10, [&] { ran << QStringLiteral("10"); });
  trap.step(20, [&] { throw err::fileNotFound(); });
  trap.step(30, [&] { ran << QStringLiteral("30"); });
  EXPECT_EQ(ran, (QStringList{QStringLiteral("10"), QStringLiteral("30")}));
  ASSERT_EQ(log.reports.size(), 1);
  EXPECT_EQ(log.reports.front(),
            QStringLiteral("Error 53 (File not found) in procedure ARP_LoadTable "
                           "of Module modDataProcess on line 20"));
}

TEST(StepTrap, FailingConditionCountsAsSatisfied) {
  test::RecordingReporter log;
  StepTrap trap(log, QStringLiteral("PopulateItemMAC"), Container::Form);
  EXPECT_TRUE(trap.test(30, []() -> bool { throw err::objectNotSet(); }));
  EXPECT_FALSE(trap.test(40, [] { return false; }));
  EXPECT_EQ(trap.value(50, 7, []() -> int { throw err::overflow(); }), 7);
  EXPECT_EQ(trap.value(60, 7, [] { return 3; }), 3);
  ASSERT_EQ(log.reports.size(), 2);
  EXPECT_TRUE(log.reports[0].endsWith(
      QStringLiteral("procedure PopulateItemMAC of Form frmMain on line 30")));
  EXPECT_TRUE(log.reports[1].startsWith(QStringLiteral("Error 6 (Overflow)")));
}

// A measurement watching the steps sees every line as it starts, failing ones included,
// and changes nothing the procedure does or reports.
TEST(StepTrap, ObserverSeesEachStepAsItStarts) {
  test::RecordingReporter log;
  StepTrap trap(log, QStringLiteral("cmdScanPing_Click"), Container::Form);
  QList<int> seen;
  const StepTrap::StepObserver observer = [&](int line) { seen << line; };
  trap.setObserver(&observer);
  trap.step(10, [&] { EXPECT_EQ(seen, QList<int>{10}); });
  trap.step(20, [] { throw err::overflow(); });
  EXPECT_TRUE(trap.test(30, [] { return true; }));
  EXPECT_EQ(trap.value(40, 1, [] { return 2; }), 2);
  EXPECT_EQ(seen, (QList<int>{10, 20, 30, 40}));
  EXPECT_EQ(log.reports.size(), 1);
}

}  // namespace
}  // namespace velmaro
