// "SCAN" in the virtual LAN lab: the real socket, the limited broadcast leaving through the
// lab link only, and the simulated units' replies turned into rows.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <map>

#include "form/BroadcastDiscovery.h"
#include "form/ResultList.h"
#include "platform/Platform.h"
#include "support/FormHarness.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"
#include "support/RecordingReporter.h"

namespace velmaro {
namespace {

QString Q(std::string_view text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// Events are handled for this long after the last row came in: a duplicate would show.
constexpr int kQuietMs = 700;
constexpr int kReplyLimitMs = 4000;

class DiscoveryLab : public ::testing::Test {
 protected:
  void SetUp() override {
    // The query goes to the limited broadcast address: only ever from inside the lab.
    ASSERT_NO_FATAL_FAILURE(lab::RequireLab());
    ASSERT_TRUE(harness.folder.isValid());
  }

  // Handles events until `rows` rows are listed and nothing more came for a while, or
  // the limit passes.
  void waitForRows(int rows) {
    const QDeadlineTimer limit(kReplyLimitMs);
    QDeadlineTimer quiet(kQuietMs);
    int seen = list.count();
    while (!limit.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      if (list.count() != seen) {
        seen = list.count();
        quiet.setRemainingTime(kQuietMs);
      }
      if (seen >= rows && quiet.hasExpired()) return;
    }
  }

  // Rows by address; each address once.
  std::map<QString, RowId> rowsByAddress() {
    std::map<QString, RowId> rows;
    for (int position = 1; position <= list.count(); ++position) {
      const RowId row = list.rowAt(position);
      EXPECT_TRUE(rows.emplace(list.text(row), row).second)
          << "twice: " << list.text(row).toStdString();
    }
    return rows;
  }

  QString cell(RowId row, const char* key) {
    return list.cell(row, list.GetColumnIndex(QString::fromLatin1(key)));
  }

  void expectEveryWellFormedUnitOnce() {
    int wellFormed = 0;
    for (const lab::LabUnit& unit : lab::kUnits) wellFormed += unit.wellFormed ? 1 : 0;
    waitForRows(wellFormed);
    const auto rows = rowsByAddress();
    EXPECT_EQ(list.count(), wellFormed);
    for (const lab::LabUnit& unit : lab::kUnits) {
      SCOPED_TRACE(std::string(unit.key));
      const auto found = rows.find(Q(unit.ip));
      if (!unit.wellFormed) {
        EXPECT_EQ(found, rows.end()) << "a malformed reply made a row";
        continue;
      }
      ASSERT_NE(found, rows.end());
      const RowId row = found->second;
      EXPECT_EQ(list.tag(row), Q(unit.ip));
      EXPECT_EQ(cell(row, "httpport"), Q(unit.httpPortCell));
      EXPECT_EQ(cell(row, "ping"), u"---");
      EXPECT_EQ(cell(row, "mac"), Q(unit.mac));
      EXPECT_EQ(cell(row, "mfg"), Q(unit.manufacturer));
      EXPECT_EQ(cell(row, "name"), Q(unit.name) + u' ' + Q(unit.freeText));
    }
  }

  std::unique_ptr<platform::Platform> system = platform::createSystemPlatform();
  test::FormHarness harness{*system, Q(lab::kClientIp)};
  test::FakeControls& controls = harness.controls;
  ResultList& list = harness.list;
  test::RecordingReporter& log = harness.log;
  BroadcastDiscovery discovery{harness.form};
};

TEST_F(DiscoveryLab, ScanListsEveryWellFormedUnitOnce) {
  discovery.cmdScanBroadcast_Click();
  expectEveryWellFormedUnitOnce();
  EXPECT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
}

TEST_F(DiscoveryLab, SecondScanStartsANewList) {
  discovery.cmdScanBroadcast_Click();
  waitForRows(4);
  ASSERT_GT(list.count(), 0);
  discovery.cmdScanBroadcast_Click();
  EXPECT_EQ(list.count(), 0);
  expectEveryWellFormedUnitOnce();
  EXPECT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
}

TEST_F(DiscoveryLab, ProcessMacsUncheckedLeavesNoManufacturer) {
  controls.checks[CheckBox::ParseARP] = 0;
  discovery.cmdScanBroadcast_Click();
  waitForRows(4);
  ASSERT_GT(list.count(), 0);
  for (int position = 1; position <= list.count(); ++position) {
    EXPECT_EQ(cell(list.rowAt(position), "mfg"), QString());
  }
}

}  // namespace
}  // namespace velmaro
