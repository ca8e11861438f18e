// Filling the MAC and manufacturer cells of result rows: neighbour-table rows, the
// LOCALHOST row from the adapters, and rows that vanish.
#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include "form/FormContext.h"
#include "form/ResultList.h"
#include "form/RowMac.h"
#include "identify/ArpTable.h"
#include "identify/LocalMac.h"
#include "identify/Manufacturer.h"
#include "support/AppPaths.h"
#include "support/Clock.h"
#include "support/Events.h"
#include "support/FakeControls.h"
#include "support/FakeNotice.h"
#include "support/FakePlatform.h"
#include "support/RecordingReporter.h"

namespace velmaro {
namespace {

using platform::Adapter;
using test::ipv4;

QByteArray bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (const int v : values) out.append(static_cast<char>(v));
  return out;
}

TEST(MacText, IsUpperCaseHexPairsJoinedByDashes) {
  const struct {
    QByteArray address;
    const char* text;
  } cases[] = {
      {bytes({}), ""},
      {bytes({0xff}), "FF"},
      {bytes({0x00, 0x0a, 0x2b, 0x01, 0x80, 0x01}), "00-0A-2B-01-80-01"},
      {bytes({0x1, 0x2, 0x3, 0xab, 0xcd, 0xef, 0x7, 0x8}), "01-02-03-AB-CD-EF-07-08"},
  };
  for (const auto& c : cases) EXPECT_EQ(MacText(c.address), QString::fromLatin1(c.text)) << c.text;
}

Adapter adapter(const char* name, QByteArray mac, std::vector<quint32> addresses) {
  return Adapter{QString::fromLatin1(name), std::move(mac), std::move(addresses)};
}

TEST(GetLocalMAC, TakesTheAdapterCarryingTheAddressElseTheLastOne) {
  const QByteArray wired = bytes({0x00, 0x1b, 0x21, 0x00, 0x00, 0x05});
  const QByteArray bridge = bytes({0x02, 0x42, 0xac, 0x11, 0x00, 0x01});
  const QByteArray vpn = bytes({0x00, 0x0a, 0x2b, 0x01, 0x80, 0x01});
  const std::vector<Adapter> three = {adapter("eth0", wired, {ipv4("10.0.0.5")}),
                                      adapter("br0", bridge, {ipv4("172.17.0.1")}),
                                      adapter("tap0", vpn, {})};
  const struct {
    const char* name;
    std::optional<std::vector<Adapter>> adapters;
    const char* localIP;
    const char* mac;
  } cases[] = {
      {"carried by the first", three, "10.0.0.5", "00-1B-21-00-00-05"},
      {"carried by the middle", three, "172.17.0.1", "02-42-AC-11-00-01"},
      {"carried by none", three, "10.0.0.99", "00-0A-2B-01-80-01"},
      {"no local address yet", three, "", "00-0A-2B-01-80-01"},
      {"not an address", three, "10.0.0.5x", "00-0A-2B-01-80-01"},
      {"only one", std::vector<Adapter>{adapter("eth0", wired, {})}, "10.0.0.5",
       "00-1B-21-00-00-05"},
      {"no adapter", std::vector<Adapter>{}, "10.0.0.5", ""},
      {"no list", std::nullopt, "10.0.0.5", ""},
      {"address on two: the later one",
       std::vector<Adapter>{adapter("eth0", wired, {ipv4("10.0.0.5")}),
                            adapter("eth1", bridge, {ipv4("10.0.0.6"), ipv4("10.0.0.5")}),
                            adapter("eth2", vpn, {})},
       "10.0.0.5", "02-42-AC-11-00-01"},
  };
  for (const auto& c : cases) {
    test::FakePlatform platform;
    platform.adapterList = c.adapters;
    EXPECT_EQ(GetLocalMAC(platform, QString::fromLatin1(c.localIP)), QString::fromLatin1(c.mac))
        << c.name;
  }
}

// A window's worth of context around a result list, with a neighbour table loaded from a
// listing and a vendor file in the application folder.
class RowMacTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWaitAbort();
    ASSERT_TRUE(m_dir.isValid());
    writeFile(m_dir.filePath(QStringLiteral("oui.txt")),
              "00-1B-21\tIntel Corporate\r\n"
              "00-16-3E\t  Xensource, Inc.  \r\n");
    m_platform.neighbourText = QByteArray(
        "  10.0.0.21   00-0a-2b-01-80-01   dynamic\r\n"
        "  10.0.0.22   00-0A-2B-01-FF-FF   dynamic\r\n"
        "  10.0.0.23   00-0a-2b-02-00-00   dynamic\r\n"
        "  10.0.0.24   00-0a-2b-01-80-00   dynamic\r\n"
        "  10.0.0.31   00-1b-21-00-00-31   dynamic\r\n"
        "  10.0.0.33   00-16-3e-00-00-33   dynamic\r\n"
        "  10.0.0.35   00-99-99-00-00-35   dynamic\r\n"
        "  10.0.0.5    00-0a-2b-01-80-01   dynamic\r\n");
    m_arp.ARP_LoadTable();
    ASSERT_EQ(m_arp.entries().size(), 8u);
  }
  static void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
  }
  RowId addRow(const QString& ip, const QString& name, const QString& mac, const QString& mfg) {
    const RowId row = m_list.append(ip);
    m_list.setCell(row, m_list.GetColumnIndex(u"name"), name);
    m_list.setCell(row, m_list.GetColumnIndex(u"mac"), mac);
    m_list.setCell(row, m_list.GetColumnIndex(u"mfg"), mfg);
    return row;
  }
  QString cell(RowId row, const char16_t* key) const {
    return m_list.cell(row, m_list.GetColumnIndex(key));
  }

  QTemporaryDir m_dir;
  AppPaths m_paths{m_dir.path(), QString(), QString()};
  test::RecordingReporter m_log;
  test::FakePlatform m_platform;
  test::FakeControls m_controls;
  test::FakeNotice m_notice;
  ResultList m_list;
  ArpTable m_arp{m_log, m_platform, Clock::system()};
  QString m_localIP = QStringLiteral("10.0.0.5");
  OuiFile m_oui{m_log, m_paths};
  FormContext m_form{m_controls,      m_notice,   m_list, m_log, m_paths,
                     Clock::system(), m_platform, m_arp,  m_oui, m_localIP};
};

struct RowCase {
  const char* ip;
  const char* name;
  const char* macBefore;
  const char* mfgBefore;
  const char* mac;
  const char* mfg;
};

TEST_F(RowMacTest, FillsRowsFromTheNeighbourTable) {
  const RowCase cases[] = {
      // the maker's block: inside and outside the serial range
      {"10.0.0.21", "???", "", "", "00-0A-2B-01-80-01", "Norvikta, Inc"},
      {"10.0.0.22", "???", "", "", "00-0A-2B-01-FF-FF", "Norvikta, Inc"},
      {"10.0.0.23", "???", "", "", "00-0A-2B-02-00-00", "Etherstuff"},
      {"10.0.0.24", "???", "", "", "00-0A-2B-01-80-00", "Etherstuff"},
      // other vendors come from the vendor file
      {"10.0.0.31", "???", "", "", "00-1B-21-00-00-31", "Intel Corporate"},
      {"10.0.0.33", "Some unit", "", "old", "00-16-3E-00-00-33", "Xensource, Inc."},
      {"10.0.0.35", "???", "", "old", "00-99-99-00-00-35", ""},
      // a MAC already shown stays, the manufacturer follows the neighbour table
      {"10.0.0.21", "???", "aa-bb-cc-dd-ee-ff", "Other", "aa-bb-cc-dd-ee-ff", "Norvikta, Inc"},
      // not in the table: "---" in both, whatever was there
      {"10.0.0.40", "???", "00-1B-21-00-00-40", "Intel Corporate", "---", "---"},
      {"10.0.0.41", "???", "", "", "---", "---"},
      // the name test is case-sensitive
      {"10.0.0.42", "localhost", "", "", "---", "---"},
  };
  for (const RowCase& c : cases) {
    const RowId row = addRow(QString::fromLatin1(c.ip), QString::fromLatin1(c.name),
                             QString::fromLatin1(c.macBefore), QString::fromLatin1(c.mfgBefore));
    PopulateItemMAC(m_form, row);
    EXPECT_EQ(cell(row, u"mac"), QString::fromLatin1(c.mac)) << c.ip << " " << c.macBefore;
    EXPECT_EQ(cell(row, u"mfg"), QString::fromLatin1(c.mfg)) << c.ip << " " << c.macBefore;
    EXPECT_EQ(cell(row, u"name"), QString::fromLatin1(c.name));
    // Evidence of the table only where the MAC shown came from it.
    EXPECT_EQ(m_list.evidence(row).has(Evidence::Neighbours),
              c.macBefore[0] == '\0' && cell(row, u"mac") != u"---")
        << c.ip << " " << c.macBefore;
  }
  EXPECT_TRUE(m_log.reports.isEmpty()) << m_log.reports.join(u'\n').toStdString();
}

struct LocalCase {
  const char* name;
  std::optional<std::vector<Adapter>> adapters;
  const char* mac;
  const char* mfg;
};

TEST_F(RowMacTest, FillsTheLocalhostRowFromTheAdapterAndTheVendorFileOnly) {
  const QByteArray intel = bytes({0x00, 0x1b, 0x21, 0x00, 0x00, 0x05});
  const QByteArray maker = bytes({0x00, 0x0a, 0x2b, 0x01, 0x80, 0x01});
  const LocalCase cases[] = {
      {"adapter carrying the address",
       std::vector<Adapter>{adapter("eth0", intel, {ipv4("10.0.0.5")}), adapter("tap0", maker, {})},
       "00-1B-21-00-00-05", "Intel Corporate"},
      // the maker's prefix names nothing here: the vendor file has no entry for it
      {"none carries it: the last",
       std::vector<Adapter>{adapter("eth0", intel, {ipv4("10.0.0.6")}), adapter("tap0", maker, {})},
       "00-0A-2B-01-80-01", ""},
      {"no adapter", std::vector<Adapter>{}, "", ""},
      {"no list", std::nullopt, "", ""},
  };
  for (const LocalCase& c : cases) {
    m_platform.adapterList = c.adapters;
    // The neighbour table also knows this address; the LOCALHOST row does not use it.
    const RowId row = addRow(m_localIP, QStringLiteral("LOCALHOST"), QStringLiteral("old"),
                             QStringLiteral("old"));
    PopulateItemMAC(m_form, row);
    EXPECT_EQ(cell(row, u"mac"), QString::fromLatin1(c.mac)) << c.name;
    EXPECT_EQ(cell(row, u"mfg"), QString::fromLatin1(c.mfg)) << c.name;
    EXPECT_TRUE(m_list.evidence(row).empty()) << c.name;
  }
  EXPECT_TRUE(m_log.reports.isEmpty()) << m_log.reports.join(u'\n').toStdString();
}

TEST_F(RowMacTest, AVanishedRowIsReportedNotFilled) {
  const RowId row =
      addRow(QStringLiteral("10.0.0.21"), QStringLiteral("???"), QString(), QString());
  const RowId other =
      addRow(QStringLiteral("10.0.0.31"), QStringLiteral("???"), QString(), QString());
  m_list.remove(row);
  PopulateItemMAC(m_form, row);
  // The name cannot be read, which leads into the LOCALHOST branch; each step that
  // touches the row is one report.
  QStringList lines;
  for (const QString& report : m_log.reports) {
    EXPECT_TRUE(report.startsWith(QStringLiteral("Error 91 ("))) << report.toStdString();
    EXPECT_TRUE(report.contains(QStringLiteral("in procedure PopulateItemMAC of Form frmMain")));
    lines.append(report.section(u' ', -1));
  }
  EXPECT_EQ(lines, (QStringList{QStringLiteral("20"), QStringLiteral("30"), QStringLiteral("50"),
                                QStringLiteral("60")}));
  EXPECT_EQ(m_list.count(), 1);
  EXPECT_EQ(cell(other, u"mac"), QString());  // no other row was touched
}

}  // namespace
}  // namespace velmaro
