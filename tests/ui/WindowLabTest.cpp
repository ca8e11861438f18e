// The real window, offscreen, inside the lab: SCAN, PING and Refresh as a technician uses
// them, with the lab's simulated units, plain and web hosts and the kernel's own ICMP and ARP.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <map>

#include "form/MainForm.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"
#include "support/RecordingReporter.h"
#include "ui/LabWindow.h"
#include "ui/ResultView.h"

namespace velmaro {
namespace {

QString qs(std::string_view s) {
  return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size()));
}

using test::RunUntil;

class WindowLabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(lab::RequireLab());
    m_lab = std::make_unique<test::LabWindow>();
    m_window = m_lab->window.get();
  }

  QPushButton& button(const char* name) {
    return *m_window->findChild<QPushButton*>(QLatin1String(name));
  }
  QLineEdit& box(const char* name) { return *m_window->findChild<QLineEdit*>(QLatin1String(name)); }
  ResultList& list() { return m_window->form().lstIPs(); }

  // Row cells by address; an address listed twice counts twice.
  std::multimap<QString, std::array<QString, 6>> rows() {
    std::multimap<QString, std::array<QString, 6>> out;
    for (int i = 1; i <= list().count(); ++i) {
      const RowId row = list().rowAt(i);
      std::array<QString, 6> cells;
      for (int c = 0; c < 6; ++c) cells[static_cast<size_t>(c)] = list().cell(row, c);
      out.emplace(list().text(row), cells);
    }
    return out;
  }
  RowIcon iconOf(std::string_view ip) {
    const auto row = list().findByText(qs(ip));
    return row ? list().icon(*row) : RowIcon::None;
  }

  std::unique_ptr<test::LabWindow> m_lab;
  frmMain* m_window = nullptr;
};

constexpr int kWellFormedUnits = 4;

TEST_F(WindowLabTest, LoadPresetsTheLabPrefixAndNamesTheClient) {
  EXPECT_EQ(box("txtIP(0)").text(), QStringLiteral("198"));
  EXPECT_EQ(box("txtIP(1)").text(), QStringLiteral("18"));
  EXPECT_EQ(box("txtIP(2)").text(), QStringLiteral("7"));
  EXPECT_EQ(m_window->form().localIP(), qs(lab::kClientIp));
  EXPECT_EQ(m_window->windowTitle(), QStringLiteral("Velmaro v1.1.8"));
}

TEST_F(WindowLabTest, ScanListsEveryWellFormedUnitOnceWithItsCells) {
  button("cmdScanBroadcast").click();
  ASSERT_TRUE(RunUntil([&] { return list().count() >= kWellFormedUnits; }, 5000));
  RunUntil([] { return false; }, 500);  // any late or duplicate reply would land now
  const auto found = rows();
  EXPECT_EQ(found.size(), size_t{kWellFormedUnits});
  for (const auto& unit : lab::kUnits) {
    const QString ip = qs(unit.ip);
    if (!unit.wellFormed) {
      EXPECT_EQ(found.count(ip), 0u) << "a malformed reply added a row for " << unit.ip;
      continue;
    }
    ASSERT_EQ(found.count(ip), 1u) << unit.ip;
    const auto& cells = found.find(ip)->second;
    EXPECT_EQ(cells[1], qs(unit.httpPortCell)) << unit.ip;
    EXPECT_EQ(cells[2], QStringLiteral("---")) << unit.ip;
    EXPECT_EQ(cells[3], qs(unit.mac)) << unit.ip;
    EXPECT_EQ(cells[4], qs(unit.manufacturer)) << unit.ip;
    EXPECT_EQ(cells[5], qs(unit.name) + u' ' + qs(unit.freeText)) << unit.ip;
    EXPECT_EQ(list().tag(*list().findByText(ip)), ip);
  }
  EXPECT_TRUE(m_lab->log.reports.isEmpty()) << m_lab->log.reports.join(u'\n').toStdString();
}

TEST_F(WindowLabTest, SecondClickStartsANewListThatTakesEveryLateReply) {
  button("cmdScanBroadcast").click();
  ASSERT_TRUE(RunUntil([&] { return list().count() >= kWellFormedUnits; }, 5000));
  button("cmdScanBroadcast").click();
  button("cmdScanBroadcast").click();
  // The list was emptied by the last click. Answers to the one before it that were still
  // on their way when the socket was bound again join the new list; whatever arrived
  // earlier went with the list that click emptied. Every unit answers the last query.
  EXPECT_LT(list().count(), kWellFormedUnits);
  ASSERT_TRUE(RunUntil([&] { return list().count() >= kWellFormedUnits; }, 5000));
  RunUntil([] { return false; }, 500);
  const auto found = rows();
  for (const auto& unit : lab::kUnits) {
    const auto count = found.count(qs(unit.ip));
    if (unit.wellFormed) {
      EXPECT_TRUE(count == 1 || count == 2) << unit.ip << " listed " << count << " times";
    } else {
      EXPECT_EQ(count, 0u) << unit.ip;
    }
  }
}

TEST_F(WindowLabTest, ScanWithoutProcessMacsLeavesTheManufacturerEmpty) {
  m_window->findChild<QWidget*>(QStringLiteral("chkParseARP"))->setProperty("checked", false);
  button("cmdScanBroadcast").click();
  ASSERT_TRUE(RunUntil([&] { return list().count() >= kWellFormedUnits; }, 5000));
  for (const auto& [ip, cells] : rows()) EXPECT_TRUE(cells[4].isEmpty()) << ip.toStdString();
}

TEST_F(WindowLabTest, PingFillsEveryLiveHostWithMacAndManufacturer) {
  box("txtPingTO").setText(QStringLiteral("20"));  // normalised to 100 before pinging
  button("cmdScanPing").click();                   // returns when the sweep has ended
  EXPECT_EQ(box("txtPingTO").text(), QStringLiteral("100"));
  EXPECT_TRUE(button("cmdScanPing").isEnabled());
  // The last caption is the name stage's, left as it was.
  EXPECT_TRUE(m_window->findChild<QLabel*>(QStringLiteral("lblScanning"))
                  ->text()
                  .startsWith(u"Testing for NV ID on "));
  EXPECT_FALSE(m_window->findChild<QWidget*>(QStringLiteral("picScanning"))->isVisible());

  const auto found = rows();
  EXPECT_EQ(found.size(), lab::kLiveIps.size() + 1);  // and the client itself
  for (const auto& unit : lab::kUnits) {
    ASSERT_EQ(found.count(qs(unit.ip)), 1u) << unit.ip;
    const auto& cells = found.find(qs(unit.ip))->second;
    EXPECT_TRUE(cells[2].endsWith(QStringLiteral(" ms"))) << unit.ip;
    EXPECT_EQ(cells[3], qs(unit.mac)) << unit.ip;
    EXPECT_EQ(cells[4], qs(unit.manufacturer)) << unit.ip;
  }
  for (const auto& host : lab::kPlainHosts) {
    ASSERT_EQ(found.count(qs(host.ip)), 1u) << host.ip;
    const auto& cells = found.find(qs(host.ip))->second;
    EXPECT_EQ(cells[3], qs(host.mac)) << host.ip;
    EXPECT_EQ(cells[4], qs(host.manufacturer)) << host.ip;  // from the shipped oui.txt
  }
  ASSERT_EQ(found.count(qs(lab::kClientIp)), 1u);
  EXPECT_EQ(found.find(qs(lab::kClientIp))->second[5], QStringLiteral("LOCALHOST"));
  EXPECT_EQ(found.find(qs(lab::kClientIp))->second[3].size(), 17);  // the client's own adapter
  EXPECT_EQ(found.count(qs(lab::kSilentIp)), 0u);
}

TEST_F(WindowLabTest, UpdateModeFlagsThenDropsAHostThatStopsAnsweringAndWelcomesItBack) {
  box("txtIPScan").setText(QStringLiteral("31-33"));
  button("cmdScanPing").click();
  ASSERT_EQ(list().count(), 3);
  EXPECT_EQ(iconOf(lab::kH1.ip), RowIcon::Add);
  {
    lab::UnpluggedHost pulled(lab::kH1.key);
    ASSERT_TRUE(pulled.ok()) << pulled.error().toStdString();
    button("cmdScanPing").click();
    ASSERT_TRUE(list().findByText(qs(lab::kH1.ip)));
    EXPECT_EQ(iconOf(lab::kH1.ip), RowIcon::Remove);
    EXPECT_EQ(list().cell(*list().findByText(qs(lab::kH1.ip)), 2), QStringLiteral("???"));
    EXPECT_EQ(iconOf(lab::kH2.ip), RowIcon::None);

    button("cmdScanPing").click();
    EXPECT_FALSE(list().findByText(qs(lab::kH1.ip)));  // second miss: gone
    EXPECT_EQ(list().count(), 2);
  }
  button("cmdScanPing").click();
  ASSERT_TRUE(list().findByText(qs(lab::kH1.ip)));
  EXPECT_EQ(iconOf(lab::kH1.ip), RowIcon::Add);
  EXPECT_EQ(list().count(), 3);
}

// ---- Names from the hosts' pages ----

// The "name" and "mac" cells every live host ends with after a PING at port 80, by address.
std::map<QString, std::pair<QString, QString>> ExpectedNames(bool generic) {
  std::map<QString, std::pair<QString, QString>> out;
  const QString none = QStringLiteral("---");
  for (const auto& unit : lab::kUnits) {
    QString name = none;
    if (unit.httpPort == 80 && !unit.idName.empty())
      name = qs(unit.idName);
    else if (generic && unit.httpPort == 80 && !unit.homeTitle.empty())
      name = qs(unit.homeTitle);
    out[qs(unit.ip)] = {name, qs(unit.mac)};
  }
  for (const auto& host : lab::kPlainHosts) {
    out[qs(host.ip)] = {generic && !host.homeTitle.empty() ? qs(host.homeTitle) : none,
                        qs(host.mac)};
  }
  for (const auto& host : lab::kWebHosts) {
    out[qs(host.ip)] = {qs(generic ? host.nameWithGeneric : host.name),
                        qs(host.macFromPage ? host.macOnPage : host.mac)};
  }
  return out;
}

class WindowNamesLabTest : public WindowLabTest {
 protected:
  void expectNames(bool generic) {
    const auto found = rows();
    EXPECT_EQ(found.size(), lab::kLiveIps.size() + 1);
    for (const auto& [ip, cells] : ExpectedNames(generic)) {
      ASSERT_EQ(found.count(ip), 1u) << ip.toStdString();
      const auto& row = found.find(ip)->second;
      EXPECT_EQ(row[5], cells.first) << ip.toStdString();
      EXPECT_EQ(row[3], cells.second) << ip.toStdString();
    }
    EXPECT_EQ(found.find(qs(lab::kClientIp))->second[5], u"LOCALHOST");
    EXPECT_FALSE(list().selected().has_value());
    EXPECT_TRUE(m_lab->log.reports.isEmpty()) << m_lab->log.reports.join(u'\n').toStdString();
  }
  // A right click on the row of `ip`, then "Refresh" in the popup menu.
  void refresh(std::string_view ip) {
    const int position = list().positionOf(*list().findByText(qs(ip)));
    ui::ResultView& view = m_window->resultView();
    const QPoint at = view.visualRect(view.model()->index(position - 1, 0)).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, view.viewport()->mapToGlobal(at),
                      Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &press);
    ASSERT_TRUE(m_window->popupMenu().isVisible());
    m_window->popupMenu().hide();
    m_window->findChild<QAction*>(QStringLiteral("mnuIPRefresh"))->trigger();
  }
  QString cell(std::string_view ip, int index) {
    return list().cell(*list().findByText(qs(ip)), index);
  }
};

TEST_F(WindowNamesLabTest, PingWithTheDefaultBoxesNamesEveryHost) {
  button("cmdScanPing").click();
  expectNames(false);
}

TEST_F(WindowNamesLabTest, GenericBoxAddsTheHomePageTitles) {
  m_window->findChild<QWidget*>(QStringLiteral("chkParseGenIDs"))->setProperty("checked", true);
  button("cmdScanPing").click();
  expectNames(true);
  EXPECT_EQ(cell(lab::kH3.ip, 5), u"Lab Web Host");
}

// A row found by SCAN is refreshed the same way: see RefreshCommand in the form's tests.
TEST_F(WindowNamesLabTest, RefreshRereadsTheSelectedRow) {
  box("txtIPScan").setText(QStringLiteral("33-33"));
  button("cmdScanPing").click();
  EXPECT_EQ(cell(lab::kH3.ip, 5), u"---");
  refresh(lab::kH3.ip);
  EXPECT_EQ(cell(lab::kH3.ip, 3), qs(lab::kH3.mac));
  EXPECT_EQ(cell(lab::kH3.ip, 4), qs(lab::kH3.manufacturer));
  EXPECT_EQ(cell(lab::kH3.ip, 5), qs(lab::kH3.homeTitle));  // the generic page, whatever the box
  EXPECT_FALSE(list().selected().has_value());
  EXPECT_TRUE(m_lab->log.reports.isEmpty()) << m_lab->log.reports.join(u'\n').toStdString();
}

TEST_F(WindowNamesLabTest, ScanPressedDuringTheNameStage) {
  QLabel* status = m_window->findChild<QLabel*>(QStringLiteral("lblScanning"));
  QTimer watch;
  int scans = 0;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (scans == 0 && status->text().startsWith(u"Testing for NV ID on ")) {
      ++scans;
      button("cmdScanBroadcast").click();
    }
  });
  watch.start(5);
  button("cmdScanPing").click();
  watch.stop();
  ASSERT_EQ(scans, 1);
  EXPECT_TRUE(button("cmdScanPing").isEnabled());
  ASSERT_TRUE(RunUntil([&] { return list().count() >= kWellFormedUnits; }, 5000));
  // The list is the scan's now; the rows the stage still counted were reported as gone.
  for (const auto& unit : lab::kUnits) {
    if (!unit.wellFormed) continue;
    EXPECT_EQ(cell(unit.ip, 5), qs(unit.name) + u' ' + qs(unit.freeText)) << unit.ip;
  }
  ASSERT_FALSE(m_lab->log.reports.isEmpty());
  for (const QString& report : m_lab->log.reports) {
    EXPECT_TRUE(report.startsWith(u"Error 35600 ") || report.startsWith(u"Error 91 "))
        << report.toStdString();
  }
}

}  // namespace
}  // namespace velmaro
