// The neighbour table and the MAC cells on the lab's virtual LAN: after every live host has
// been pinged, the system's own table gives each one's MAC, and each row its manufacturer.
#include <gtest/gtest.h>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "form/FormContext.h"
#include "form/ResultList.h"
#include "form/RowMac.h"
#include "identify/ArpTable.h"
#include "identify/Manufacturer.h"
#include "platform/Platform.h"
#include "support/AppPaths.h"
#include "support/Clock.h"
#include "support/FakeControls.h"
#include "support/FakeNotice.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"
#include "support/RecordingReporter.h"

namespace velmaro {
namespace {

QString Q(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

struct LiveHost {
  QString ip;
  QString mac;           // upper case, "-"
  QString manufacturer;  // what the "mfg" cell must show
};

std::vector<LiveHost> liveHosts() {
  std::vector<LiveHost> hosts;
  for (const lab::LabUnit& unit : lab::kUnits) {
    hosts.push_back({Q(unit.ip), Q(unit.mac), Q(unit.manufacturer)});
  }
  for (const lab::LabHost& host : {lab::kH1, lab::kH2, lab::kH3}) {
    hosts.push_back({Q(host.ip), Q(host.mac), Q(host.manufacturer)});
  }
  return hosts;
}

class ArpLab : public ::testing::Test {
 protected:
  // One echo to every live host and to the silent address, so the kernel's table holds a
  // resolved entry for each host and a failed one for the silent address. Bounded: one
  // echo each, one second at most.
  static void SetUpTestSuite() {
    ASSERT_NO_FATAL_FAILURE(lab::RequireLab());
    for (const LiveHost& host : liveHosts()) {
      QString why;
      const auto answered = lab::LabPing(host.ip.toStdString(), 1000, &why);
      ASSERT_TRUE(answered.has_value()) << host.ip.toStdString() << ": " << why.toStdString();
    }
    EXPECT_FALSE(lab::LabPing(lab::kSilentIp, 1000).has_value());
  }

  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(lab::RequireLab());
    ASSERT_TRUE(m_dir.isValid());
    ASSERT_TRUE(QFileInfo::exists(QStringLiteral(VELMARO_SHIPPED_OUI)));
  }

  QTemporaryDir m_dir;
  // oui.txt is the shipped one.
  AppPaths m_paths{m_dir.path(), QString(),
                   QFileInfo(QStringLiteral(VELMARO_SHIPPED_OUI)).absolutePath()};
  test::RecordingReporter m_log;
  std::unique_ptr<platform::Platform> m_platform = platform::createSystemPlatform();
  ArpTable m_arp{m_log, *m_platform, Clock::system()};
  OuiFile m_oui{m_log, m_paths};
};

TEST_F(ArpLab, TheLoadedTableHoldsTheMacOfEveryLiveHost) {
  m_arp.ARP_LoadTable();
  for (const LiveHost& host : liveHosts()) {
    EXPECT_EQ(m_arp.ARP_GetMACByIP(host.ip), host.mac) << host.ip.toStdString();
  }
  EXPECT_EQ(m_arp.ARP_GetMACByIP(Q(lab::kSilentIp)), QString());
  EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("arp.txt"))));
  EXPECT_TRUE(m_log.reports.isEmpty()) << m_log.reports.join(u'\n').toStdString();
}

TEST_F(ArpLab, TheSystemsListingConvertsEntryForEntry) {
  QProcess ip;
  ip.start(m_platform->arpCommand().program, m_platform->arpCommand().arguments);
  ASSERT_TRUE(ip.waitForFinished(5000));
  const QByteArray listing = ip.readAllStandardOutput();
  const QString converted = QString::fromLatin1(m_platform->convertArpListing(listing));
  for (const LiveHost& host : liveHosts()) {
    bool found = false;
    for (const QString& line : converted.split(QStringLiteral("\r\n"))) {
      const auto entry = ParseArpLine(line);
      if (entry && entry->ip == host.ip) {
        EXPECT_EQ(entry->mac.toUpper(), host.mac);
        found = true;
      }
    }
    EXPECT_TRUE(found) << host.ip.toStdString() << " in\n" << converted.toStdString();
  }
  // The silent address is listed after its unanswered echo, as an entry without an address.
  ASSERT_TRUE(listing.contains(QByteArray(lab::kSilentIp.data()) + ' ')) << listing.toStdString();
  EXPECT_TRUE(converted.contains(
      QRegularExpression(QStringLiteral("198\\.18\\.7\\.99 +00-00-00-00-00-00 +invalid\r\n"))))
      << converted.toStdString();
}

TEST_F(ArpLab, EveryRowShowsItsMacAndManufacturer) {
  test::FakeControls controls;
  test::FakeNotice notice;
  ResultList list;
  QString localIP = Q(lab::kClientIp);
  FormContext form{controls,        notice,      list,  m_log, m_paths,
                   Clock::system(), *m_platform, m_arp, m_oui, localIP};
  m_arp.ARP_LoadTable();

  std::vector<std::pair<RowId, LiveHost>> rows;
  for (const LiveHost& host : liveHosts()) {
    const RowId row = list.append(host.ip);
    list.setCell(row, list.GetColumnIndex(u"name"), QStringLiteral("???"));
    rows.emplace_back(row, host);
  }
  const RowId silent = list.append(Q(lab::kSilentIp));
  const RowId local = list.append(localIP);
  list.setCell(local, list.GetColumnIndex(u"name"), QStringLiteral("LOCALHOST"));

  for (int position = 1; position <= list.count(); ++position) {
    PopulateItemMAC(form, list.rowAt(position));
  }
  const int mac = list.GetColumnIndex(u"mac");
  const int mfg = list.GetColumnIndex(u"mfg");
  for (const auto& [row, host] : rows) {
    EXPECT_EQ(list.cell(row, mac), host.mac) << host.ip.toStdString();
    EXPECT_EQ(list.cell(row, mfg), host.manufacturer) << host.ip.toStdString();
  }
  EXPECT_EQ(list.cell(silent, mac), QStringLiteral("---"));
  EXPECT_EQ(list.cell(silent, mfg), QStringLiteral("---"));

  // The client's own link: its MAC as the kernel shows it, named from the vendor file only.
  QFile address(QStringLiteral("/sys/class/net/%1/address").arg(Q(lab::kLinkName)));
  ASSERT_TRUE(address.open(QIODevice::ReadOnly));
  const QString own =
      QString::fromLatin1(address.readAll().trimmed()).toUpper().replace(u':', u'-');
  EXPECT_EQ(list.cell(local, mac), own);
  EXPECT_EQ(list.cell(local, mfg), m_oui.OUI_GetMFGByMAC(own));
  EXPECT_TRUE(m_log.reports.isEmpty()) << m_log.reports.join(u'\n').toStdString();
}

}  // namespace
}  // namespace velmaro
