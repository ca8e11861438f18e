// velmaro-cli inside the lab: scan, ping and identify against the simulated units, the
// rows it prints equal to the window's rows for the same lab, and its exit statuses.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <algorithm>

#include "cli/Formats.h"
#include "cli/Rows.h"
#include "form/MainForm.h"
#include "ui/LabWindow.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"

namespace velmaro::cli {
namespace {

QString qs(std::string_view s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

struct CliRun {
  int exitCode = -1;
  QString out;
  QString err;
};

// velmaro-cli with the arguments, bounded: a run that hangs fails the test.
CliRun RunCli(const QStringList& arguments) {
  QProcess process;
  process.start(QStringLiteral(VELMARO_CLI_PATH), arguments);
  const bool ended = process.waitForFinished(120000);
  if (!ended) process.kill();
  EXPECT_TRUE(ended) << "velmaro-cli " << arguments.join(u' ').toStdString() << " did not end";
  return {ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

// The rows of a JSON run, in address order (hosts answer in any order).
std::vector<RowRecord> Sorted(std::vector<RowRecord> rows) {
  std::sort(rows.begin(), rows.end(), [](const RowRecord& a, const RowRecord& b) { return a.cells < b.cells; });
  return rows;
}

std::vector<RowRecord> JsonRows(const CliRun& run) {
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  const auto parsed = ParseJsonRows(run.out.toUtf8());
  if (!std::holds_alternative<std::vector<RowRecord>>(parsed)) {
    ADD_FAILURE() << std::get<QString>(parsed).toStdString() << "\n" << run.out.toStdString();
    return {};
  }
  return std::get<std::vector<RowRecord>>(parsed);
}

const RowRecord* Find(const std::vector<RowRecord>& rows, std::string_view ip) {
  const auto it = std::find_if(rows.begin(), rows.end(), [&](const RowRecord& r) { return r.cells[0] == qs(ip); });
  return it == rows.end() ? nullptr : &*it;
}

// The window in the same lab: what a technician would see.
class Window {
 public:
  void click(const char* button) { m_lab.window->findChild<QPushButton*>(QLatin1String(button))->click(); }
  void uncheck(const char* box) { m_lab.window->findChild<QCheckBox*>(QLatin1String(box))->setChecked(false); }
  ResultList& list() { return m_lab.window->form().lstIPs(); }
  std::vector<RowRecord> rows() { return RowsOf(list()); }

 private:
  test::LabWindow m_lab;
};

using test::RunUntil;

constexpr size_t kWellFormedUnits = 4;

class CliLabTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(lab::RequireLab()); }
};

TEST_F(CliLabTest, ScanListsTheUnitsAsTheWindowDoes) {
  const CliRun run = RunCli({QStringLiteral("scan"), QStringLiteral("--format"), QStringLiteral("json")});
  EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();  // not a terminal: no progress
  const std::vector<RowRecord> printed = JsonRows(run);
  ASSERT_EQ(printed.size(), kWellFormedUnits);
  for (const auto& unit : lab::kUnits) {
    const RowRecord* row = Find(printed, unit.ip);
    if (!unit.wellFormed) {
      EXPECT_EQ(row, nullptr) << unit.ip;
      continue;
    }
    ASSERT_NE(row, nullptr) << unit.ip;
    EXPECT_EQ(row->cells[1], qs(unit.httpPortCell));
    EXPECT_EQ(row->cells[3], qs(unit.mac));
    EXPECT_EQ(row->cells[4], qs(unit.manufacturer));
    EXPECT_EQ(row->cells[5], qs(unit.name) + u' ' + qs(unit.freeText));
  }

  Window window;
  window.click("cmdScanBroadcast");
  ASSERT_TRUE(RunUntil([&] { return window.list().count() >= int(kWellFormedUnits); }, 5000));
  RunUntil([] { return false; }, 500);
  EXPECT_TRUE(Sorted(window.rows()) == Sorted(printed));
}

TEST_F(CliLabTest, PingListsTheLiveHostsAsTheWindowDoes) {
  const CliRun run = RunCli({QStringLiteral("ping"), QStringLiteral("--format=json")});
  std::vector<RowRecord> printed = JsonRows(run);
  ASSERT_EQ(printed.size(), lab::kLiveIps.size() + 1);  // and the client itself
  const RowRecord* client = Find(printed, lab::kClientIp);
  ASSERT_NE(client, nullptr);
  EXPECT_EQ(client->cells[5], QStringLiteral("LOCALHOST"));
  for (const auto& host : lab::kPlainHosts) {
    const RowRecord* row = Find(printed, host.ip);
    ASSERT_NE(row, nullptr) << host.ip;
    EXPECT_EQ(row->cells[3], qs(host.mac));
    EXPECT_EQ(row->cells[4], qs(host.manufacturer));
  }

  Window window;
  window.uncheck("chkUpdateOnly");  // a command line sweep is a fresh list
  window.click("cmdScanPing");
  std::vector<RowRecord> shown = window.rows();
  // Echo times differ from one sweep to the next; everything else must not.
  const QRegularExpression time(QStringLiteral("^\\d+ ms$"));
  for (auto* rows : {&printed, &shown}) {
    for (RowRecord& row : *rows) {
      EXPECT_TRUE(time.match(row.cells[2]).hasMatch()) << row.cells[0].toStdString();
      row.cells[2].clear();
    }
  }
  EXPECT_TRUE(Sorted(shown) == Sorted(printed));
}

TEST_F(CliLabTest, UpdateFromMarksAHostThatStopsAnsweringThenDropsIt) {
  QTemporaryDir dir;
  const QString file = dir.filePath(QStringLiteral("lan.json"));
  const QStringList sweep{QStringLiteral("ping"), QStringLiteral("--range"), QStringLiteral("31-33"),
                          QStringLiteral("--format"), QStringLiteral("json")};
  const auto save = [&](const CliRun& run) {
    QFile out(file);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(run.out.toUtf8());
  };
  save(RunCli(sweep));
  ASSERT_EQ(JsonRows(RunCli(sweep + QStringList{QStringLiteral("--update-from"), file})).size(), 3u);

  lab::UnpluggedHost pulled(lab::kH1.key);
  ASSERT_TRUE(pulled.ok()) << pulled.error().toStdString();
  const CliRun missed = RunCli(sweep + QStringList{QStringLiteral("--update-from"), file});
  const std::vector<RowRecord> once = JsonRows(missed);
  const RowRecord* h1 = Find(once, lab::kH1.ip);
  ASSERT_NE(h1, nullptr);
  EXPECT_EQ(h1->icon, QStringLiteral("remove"));
  EXPECT_EQ(h1->cells[2], QStringLiteral("???"));
  ASSERT_NE(Find(once, lab::kH2.ip), nullptr);
  EXPECT_EQ(Find(once, lab::kH2.ip)->icon, QString());
  save(missed);
  const std::vector<RowRecord> twice = JsonRows(RunCli(sweep + QStringList{QStringLiteral("--update-from"), file}));
  EXPECT_EQ(Find(twice, lab::kH1.ip), nullptr);
  EXPECT_EQ(twice.size(), 2u);
}

TEST_F(CliLabTest, IdentifyRefreshesOneUnit) {
  for (const auto& unit : {lab::kU1, lab::kU2}) {
    const QString port = QString::number(unit.httpPort);
    const std::vector<RowRecord> rows = JsonRows(RunCli(
        {QStringLiteral("identify"), qs(unit.ip), QStringLiteral("--port"), port, QStringLiteral("--format"),
         QStringLiteral("json")}));
    ASSERT_EQ(rows.size(), 1u) << unit.ip;
    EXPECT_EQ(rows[0].cells[0], qs(unit.ip));
    EXPECT_EQ(rows[0].cells[3], qs(unit.mac)) << unit.ip;
    EXPECT_EQ(rows[0].cells[4], qs(unit.manufacturer)) << unit.ip;
  }
}

struct FailingRun {
  QStringList arguments;
  int exitCode;
  const char* reason;
};

TEST_F(CliLabTest, ExitStatusAndOneLineReason) {
  const FailingRun runs[] = {
      {{QStringLiteral("ping"), QStringLiteral("--range"), QStringLiteral("10-5")}, 2, "Scan range is incorrect."},
      {{QStringLiteral("ping"), QStringLiteral("--range"), QStringLiteral("1-1"), QStringLiteral("--timeout"),
        QStringLiteral("1e999")},
       2,
       "time-out is too large"},
      {{QStringLiteral("ping"), QStringLiteral("--update-from"), QStringLiteral("/nonexistent/lan.json")},
       2,
       "--update-from /nonexistent/lan.json: "},
      {{QStringLiteral("sweep")}, 2, "unknown command 'sweep'"},
  };
  for (const FailingRun& failing : runs) {
    const CliRun run = RunCli(failing.arguments);
    EXPECT_EQ(run.exitCode, failing.exitCode) << failing.reason;
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
    EXPECT_TRUE(run.err.startsWith(u"velmaro-cli: ")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1String(failing.reason))) << run.err.toStdString();
  }

  // Another program holds the reply port: the network cannot be used.
  QUdpSocket holder;
  ASSERT_TRUE(holder.bind(QHostAddress::AnyIPv4, 2860, QAbstractSocket::DontShareAddress));
  const CliRun held = RunCli({QStringLiteral("scan"), QStringLiteral("--listen"), QStringLiteral("0")});
  EXPECT_EQ(held.exitCode, 1);
  EXPECT_TRUE(held.out.isEmpty());
  EXPECT_TRUE(held.err.contains(u"UDP port 2860 is held by another program")) << held.err.toStdString();
  EXPECT_EQ(held.err.count(u'\n'), 1);
}

}  // namespace
}  // namespace velmaro::cli
