// velmaro-cli inside the lab: its rows equal to the window's rows for the same lab, an
// update run over its own JSON, identify, and its exit statuses.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <algorithm>
#include <map>

#include "cli/CliProcess.h"
#include "cli/Formats.h"
#include "form/MainForm.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"
#include "ui/LabWindow.h"

using namespace Qt::StringLiterals;

namespace velmaro::cli {
namespace {

QString qs(std::string_view s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

// Rows in address order: hosts answer in any order.
std::vector<RowRecord> Sorted(std::vector<RowRecord> rows) {
  std::sort(rows.begin(), rows.end(),
            [](const RowRecord& a, const RowRecord& b) { return a.cells < b.cells; });
  return rows;
}

// The rows of a JSON run, sorted.
std::vector<RowRecord> Rows(QStringList arguments, QByteArray* json = nullptr) {
  const CliRun run = RunCli(arguments << QStringLiteral("--format=json"));
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();  // not a terminal: no progress
  if (json) *json = run.out;
  auto parsed = ParseJsonRows(run.out);
  if (!std::holds_alternative<std::vector<RowRecord>>(parsed)) {
    ADD_FAILURE() << std::get<QString>(parsed).toStdString();
    return {};
  }
  return Sorted(std::get<std::vector<RowRecord>>(std::move(parsed)));
}

const RowRecord* Find(const std::vector<RowRecord>& rows, std::string_view ip) {
  const auto it = std::find_if(rows.begin(), rows.end(),
                               [&](const RowRecord& r) { return r.cells[0] == qs(ip); });
  return it == rows.end() ? nullptr : &*it;
}

template <class W>
W& Child(test::LabWindow& lab, const char* name) {
  return *lab.window->findChild<W*>(QLatin1String(name));
}

class CliLabTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(lab::RequireLab()); }
};

TEST_F(CliLabTest, ScanPrintsTheRowsTheWindowShows) {
  const std::vector<RowRecord> printed = Rows({QStringLiteral("scan")});
  ASSERT_EQ(printed.size(), 4u);  // every unit but the one whose reply is malformed
  // A unit's row says it answered the query, and nothing else yet.
  for (const RowRecord& row : printed) EXPECT_EQ(row.seen.keys(), QStringList{u"query"_s});
  test::LabWindow window;  // after the command line: it keeps the reply port bound
  Child<QPushButton>(window, "cmdScanBroadcast").click();
  ResultList& list = window.window->form().lstIPs();
  ASSERT_TRUE(test::RunUntil([&] { return list.count() >= 4; }, 5000));
  test::RunUntil([] { return false; }, 500);
  EXPECT_TRUE(Sorted(RowsOf(list)) == printed);
}

// Two units on one factory address: both rows stay, each names the other's MAC.
TEST_F(CliLabTest, ScanMarksTwoUnitsOnOneAddress) {
  const lab::ReaddressedHost clash("u5", u"198.18.7.25/24"_s, u"198.18.7.21/24"_s);
  ASSERT_TRUE(clash.ok()) << clash.error().toStdString();
  const CliRun run = RunCli({u"scan"_s, u"--format=json"_s});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains(u"198.18.7.21 is claimed by 2 hosts"_s)) << run.err.toStdString();
  auto parsed = ParseJsonRows(run.out);
  ASSERT_TRUE(std::holds_alternative<std::vector<RowRecord>>(parsed));
  std::map<QString, QStringList> conflictOf;  // MAC -> the other MACs its row names
  for (const RowRecord& row : std::get<std::vector<RowRecord>>(parsed)) {
    if (row.cells[0] == u"198.18.7.21") conflictOf[row.cells[3]] = row.conflict;
  }
  const std::map<QString, QStringList> expected{{u"00-0A-2B-01-80-01"_s, {u"00-0A-2B-01-A0-00"_s}},
                                                {u"00-0A-2B-01-A0-00"_s, {u"00-0A-2B-01-80-01"_s}}};
  EXPECT_EQ(conflictOf, expected);
}

TEST_F(CliLabTest, PingPrintsTheRowsTheWindowShows) {
  std::vector<RowRecord> printed = Rows({QStringLiteral("ping")});
  ASSERT_EQ(printed.size(), lab::kLiveIps.size() + 1);  // and the client itself
  // A PC answers the echo and is in the neighbour table; a unit's page names it and gives
  // the MAC the row shows.
  ASSERT_NE(Find(printed, lab::kH1.ip), nullptr);
  EXPECT_EQ(Find(printed, lab::kH1.ip)->seen.keys(), (QStringList{u"echo"_s, u"neighbours"_s}));
  ASSERT_NE(Find(printed, lab::kU1.ip), nullptr);
  EXPECT_EQ(Find(printed, lab::kU1.ip)->seen.keys(), (QStringList{u"echo"_s, u"page"_s}));
  test::LabWindow window;
  Child<QCheckBox>(window, "chkUpdateOnly")
      .setChecked(false);  // the command line's is a fresh list
  Child<QPushButton>(window, "cmdScanPing").click();
  std::vector<RowRecord> shown = Sorted(RowsOf(window.window->form().lstIPs()));
  // Echo times differ from one sweep to the next; nothing else may.
  const QRegularExpression time(QStringLiteral("^\\d+ ms$"));
  for (auto* rows : {&printed, &shown}) {
    for (RowRecord& row : *rows) {
      EXPECT_TRUE(time.match(row.cells[2]).hasMatch()) << row.cells[0].toStdString();
      row.cells[2].clear();
    }
  }
  EXPECT_TRUE(shown == printed);
}

// The fast sweep and the several-host refresh give exactly the rows of the default mode.
TEST_F(CliLabTest, FastGivesTheRowsOfTheDefaultMode) {
  const QStringList cases[] = {
      {QStringLiteral("ping"), QStringLiteral("--genid")},
      {QStringLiteral("ping"), QStringLiteral("--no-mac"), QStringLiteral("--range"),
       QStringLiteral("20-60")},
      {QStringLiteral("identify"), qs(lab::kU1.ip), qs(lab::kW1.ip), qs(lab::kW6.ip),
       qs(lab::kH1.ip), qs(lab::kSilentIp)},
  };
  for (QStringList arguments : cases) {
    // A page time-out of a second, not 250 ms: under the sanitizers on a loaded machine the
    // fast mode's first pages, asked while its echoes still go out, can miss the short one,
    // and this compares the rows, not the machine's speed.
    arguments << QStringLiteral("--timeout") << QStringLiteral("2000");
    std::vector<RowRecord> rows[2] = {Rows(arguments),
                                      Rows(QStringList(arguments) << QStringLiteral("--fast"))};
    // Echo times differ from one sweep to the next; nothing else may.
    for (auto& mode : rows) {
      for (RowRecord& row : mode) row.cells[2].clear();
    }
    EXPECT_GE(rows[0].size(), 5u) << arguments.join(u' ').toStdString();
    EXPECT_TRUE(rows[0] == rows[1]) << arguments.join(u' ').toStdString() << "\n"
                                    << FormatJson(rows[0]).toStdString() << "\n"
                                    << FormatJson(rows[1]).toStdString();
  }
}

TEST_F(CliLabTest, UpdateFromMarksAHostThatStopsAnsweringThenDropsIt) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("lan.json"));
  const auto sweepOver = [&](bool update) {
    QStringList arguments{QStringLiteral("ping"), QStringLiteral("--range"),
                          QStringLiteral("31-33")};
    if (update) arguments << QStringLiteral("--update-from") << file;
    QByteArray json;
    std::vector<RowRecord> rows = Rows(arguments, &json);
    QFile out(file);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(json) == json.size());
    return rows;
  };
  ASSERT_EQ(sweepOver(false).size(), 3u);
  lab::UnpluggedHost pulled(lab::kH1.key);
  ASSERT_TRUE(pulled.ok()) << pulled.error().toStdString();
  const std::vector<RowRecord> once = sweepOver(true);
  ASSERT_NE(Find(once, lab::kH1.ip), nullptr);
  EXPECT_EQ(Find(once, lab::kH1.ip)->icon, QStringLiteral("remove"));
  EXPECT_EQ(Find(once, lab::kH1.ip)->cells[2], QStringLiteral("???"));
  ASSERT_NE(Find(once, lab::kH2.ip), nullptr);
  EXPECT_EQ(Find(once, lab::kH2.ip)->icon, QString());
  const std::vector<RowRecord> twice = sweepOver(true);
  EXPECT_EQ(Find(twice, lab::kH1.ip), nullptr);
  EXPECT_EQ(twice.size(), 2u);
}

TEST_F(CliLabTest, IdentifyRefreshesOneUnit) {
  for (const auto& unit : {lab::kU1, lab::kU2}) {
    const std::vector<RowRecord> rows =
        Rows({QStringLiteral("identify"), qs(unit.ip), QStringLiteral("--port"),
              QString::number(unit.httpPort)});
    ASSERT_EQ(rows.size(), 1u) << unit.ip;
    EXPECT_EQ(rows[0].cells[3], qs(unit.mac)) << unit.ip;
    EXPECT_EQ(rows[0].cells[4], qs(unit.manufacturer)) << unit.ip;
    EXPECT_EQ(rows[0].cells[5], qs(unit.idName)) << unit.ip;
  }
}

TEST_F(CliLabTest, ExitStatusAndOneLineReason) {
  // Another program holds the reply port: the network cannot be used.
  QUdpSocket holder;
  ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 2860, QAbstractSocket::DontShareAddress));
  // A result whose row would steer the name stage to another port and path.
  QTemporaryDir dir;
  const QString steered = dir.filePath(QStringLiteral("steered.json"));
  QFile file(steered);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) &&
              file.write("[{\"ip\": \"127.0.0.1:8081/steered#\"}]") > 0);
  file.close();
  const std::tuple<QStringList, int, const char*> runs[] = {
      {{QStringLiteral("scan"), QStringLiteral("--listen"), QStringLiteral("0")},
       1,
       "UDP port 2860 is held by another program"},
      {{QStringLiteral("ping"), QStringLiteral("--range"), QStringLiteral("10-5")},
       2,
       "Scan range is incorrect."},
      {{QStringLiteral("ping"), QStringLiteral("--range=1-1"), QStringLiteral("--timeout=1e999")},
       2,
       "time-out is too large"},
      {{QStringLiteral("ping"), QStringLiteral("--update-from"),
        QStringLiteral("/nonexistent/lan.json")},
       2,
       "--update-from /nonexistent/lan.json: "},
      {{QStringLiteral("ping"), QStringLiteral("--update-from"), steered},
       2,
       "row 1 (line 1): \"ip\" '127.0.0.1:8081/steered#' is not a dotted IPv4 address"},
  };
  for (const auto& [arguments, exitCode, reason] : runs) {
    const CliRun run = RunCli(arguments);
    EXPECT_EQ(run.exitCode, exitCode) << reason;
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.startsWith(u"velmaro-cli: ") && run.err.count(u'\n') == 1)
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1String(reason))) << run.err.toStdString();
  }
}

}  // namespace
}  // namespace velmaro::cli
