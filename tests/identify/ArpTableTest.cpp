// Loading the neighbour table from a captured listing and looking addresses up, with the
// listing command played by a small program the test controls.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "identify/ArpTable.h"
#include "platform/linux/LinuxBackends.h"
#include "support/Clock.h"
#include "support/Events.h"
#include "support/FakePlatform.h"
#include "support/RecordingReporter.h"

namespace velmaro {
namespace {

using platform::CommandLine;

constexpr char kListing[] =
    "\r\n"
    "Interface: 10.0.0.5 --- 0x2\r\n"
    "  Internet Address      Physical Address      Type\r\n"
    "  10.0.0.1              00-0a-2b-01-80-01     dynamic\r\n"
    "  10.0.0.2              00-00-00-00-00-00     invalid\r\n"
    "  10.0.0.3              aa-bb-cc-dd-ee-0f     static\r\n"
    "\r\n"
    "Interface: 10.9.0.5 --- 0x3\r\n"
    "  Internet Address      Physical Address      Type\r\n"
    "  10.0.0.1              11-11-11-11-11-11     dynamic\r\n"
    "  10.0.0.4              00-1b-21-00-00-31     dynamic";  // last line without an end

class ArpTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWaitAbort();
    ASSERT_TRUE(m_dir.isValid());
    m_listing = m_dir.filePath(QStringLiteral("listing.txt"));
    listCommandPrints(kListing);
  }

  // The listing command prints `text`: `cat` of a file the test writes.
  void listCommandPrints(const QByteArray& text) {
    writeFile(m_listing, text);
    m_platform.arp = CommandLine{QStringLiteral("cat"), {m_listing}};
  }
  static void writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
  }
  QString arpPath() const { return m_dir.filePath(QStringLiteral("arp.txt")); }
  QString report(int line) const {
    return QStringLiteral(
               "Error 62 (Input past end of file) in procedure ARP_LoadTable of "
               "Module modDataProcess on line %1")
        .arg(line);
  }

  QTemporaryDir m_dir;
  QString m_listing;
  test::RecordingReporter m_log;
  test::FakePlatform m_platform;
  ArpTable m_table{m_log, m_platform, Clock::system()};
};

TEST_F(ArpTableTest, BeforeAnyLoadEveryLookupIsEmpty) {
  for (const char* ip : {"10.0.0.1", "", "127.0.0.1"}) {
    EXPECT_EQ(m_table.ARP_GetMACByIP(QString::fromLatin1(ip)), QString()) << ip;
  }
  EXPECT_TRUE(m_log.reports.isEmpty());
}

TEST_F(ArpTableTest, LooksUpTheFirstEntryOfAnAddressInUpperCase) {
  m_table.ARP_LoadTable();
  const struct {
    const char* ip;
    const char* mac;
  } cases[] = {
      {"10.0.0.1", "00-0A-2B-01-80-01"},  // listed twice: the first wins
      {"10.0.0.2", ""},                   // invalid
      {"10.0.0.3", "AA-BB-CC-DD-EE-0F"},
      {"10.0.0.4", "00-1B-21-00-00-31"},  // the last line, without a line end
      {"10.0.0.5", ""},                   // an interface heading, not an entry
      {"010.0.0.1", ""},                  // text comparison, not address arithmetic
      {"10.0.0.10", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(m_table.ARP_GetMACByIP(QString::fromLatin1(c.ip)), QString::fromLatin1(c.mac))
        << c.ip;
  }
  ASSERT_EQ(m_table.entries().size(), 4u);
  EXPECT_EQ(m_table.entries()[0].mac, QStringLiteral("00-0a-2b-01-80-01"));  // as listed
  EXPECT_TRUE(m_log.reports.isEmpty()) << m_log.reports.join(u'\n').toStdString();
}

TEST_F(ArpTableTest, AddressTextIsComparedIgnoringCase) {
  listCommandPrints("  host.Lab.Example.Org   00-11-22-33-44-55   dynamic\r\n");
  m_table.ARP_LoadTable();
  EXPECT_EQ(m_table.ARP_GetMACByIP(QStringLiteral("HOST.lab.example.org")),
            QStringLiteral("00-11-22-33-44-55"));
}

TEST_F(ArpTableTest, KeepsEveryEntryOfALongListing) {
  QByteArray listing;
  for (int i = 0; i < 300; ++i) {
    listing += QStringLiteral("  10.1.%1.%2   00-00-00-00-%3-%4   dynamic\r\n")
                   .arg(i / 256)
                   .arg(i % 256)
                   .arg(i / 256, 2, 16, QLatin1Char('0'))
                   .arg(i % 256, 2, 16, QLatin1Char('0'))
                   .toLatin1();
  }
  listCommandPrints(listing);
  m_table.ARP_LoadTable();
  EXPECT_EQ(m_table.entries().size(), 300u);
  for (const int i : {0, 254, 255, 256, 299}) {
    const QString ip = QStringLiteral("10.1.%1.%2").arg(i / 256).arg(i % 256);
    const QString mac = QStringLiteral("00-00-00-00-%1-%2")
                            .arg(i / 256, 2, 16, QLatin1Char('0'))
                            .arg(i % 256, 2, 16, QLatin1Char('0'))
                            .toUpper();
    EXPECT_EQ(m_table.ARP_GetMACByIP(ip), mac) << i;
  }
}

TEST_F(ArpTableTest, ASecondShorterLoadLeavesNothingOfTheFirstBehind) {
  m_table.ARP_LoadTable();
  ASSERT_FALSE(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.3")).isEmpty());
  listCommandPrints("  10.0.0.4   00-1b-21-00-00-32   dynamic\r\n");
  m_table.ARP_LoadTable();
  EXPECT_EQ(m_table.entries().size(), 1u);
  EXPECT_EQ(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.1")), QString());
  EXPECT_EQ(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.3")), QString());
  EXPECT_EQ(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.4")),
            QStringLiteral("00-1B-21-00-00-32"));
}

TEST_F(ArpTableTest, TheLoadLeavesNoFileBehind) {
  const QByteArray listings[] = {kListing, "no entry at all\r\n", "", "\r\n\r\n"};
  for (const QByteArray& listing : listings) {
    listCommandPrints(listing);
    m_table.ARP_LoadTable();
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
              QStringList{QStringLiteral("listing.txt")})
        << listing.toStdString();
  }
}

TEST_F(ArpTableTest, ASystemThatNamesNoProgramGivesItsTableDirectly) {
  m_platform.arp = CommandLine{};
  m_platform.neighbourText = QByteArray("10.0.0.7  00-0a-2b-01-90-00  dynamic\n");
  m_table.ARP_LoadTable();
  EXPECT_EQ(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.7")),
            QStringLiteral("00-0A-2B-01-90-00"));
  EXPECT_EQ(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.1")), QString());  // not the listing's
  EXPECT_TRUE(m_log.reports.isEmpty());
}

TEST_F(ArpTableTest, AnEmptyCaptureIsReportedOnceAtTheFirstRead) {
  listCommandPrints("");
  m_table.ARP_LoadTable();
  EXPECT_EQ(m_log.reports, QStringList{report(110)});
  EXPECT_TRUE(m_table.entries().empty());
}

TEST_F(ArpTableTest, AListingLeftByAnEarlierRunIsNeverRead) {
  // The command cannot be started, so nothing replaces the old listing.
  writeFile(arpPath(), "  10.0.0.7   00-11-22-33-44-77   dynamic\r\n");
  m_platform.arp = CommandLine{QStringLiteral("/nonexistent/velmaro-no-such-command"), {}};
  m_table.ARP_LoadTable();
  EXPECT_EQ(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.7")), QString());
  EXPECT_TRUE(QFile::exists(arpPath()));  // not the load's own: left alone
  EXPECT_TRUE(m_log.reports.isEmpty()) << m_log.reports.join(u'\n').toStdString();
}

// A second load that starts and ends while the first one waits for its listing (a window
// sweeping while the command line identifies a host). Each must read its own listing.
TEST_F(ArpTableTest, TwoLoadsAtOnceEachReadTheirOwnListing) {
  const QString secondListing = m_dir.filePath(QStringLiteral("second.txt"));
  writeFile(secondListing, "  10.0.0.8   00-1b-21-00-00-38   dynamic\r\n");
  const QString secondDone = m_dir.filePath(QStringLiteral("second-done"));
  // The first listing is printed only once the second command has run (or after 5 s).
  m_platform.arp =
      CommandLine{QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"),
                   QStringLiteral("i=0; while [ ! -e \"$1\" ] && [ $i -lt 500 ]; do sleep 0.01; "
                                  "i=$((i+1)); done; cat \"$0\""),
                   m_listing, secondDone}};
  test::FakePlatform otherPlatform;
  otherPlatform.arp = CommandLine{
      QStringLiteral("/bin/sh"),
      {QStringLiteral("-c"), QStringLiteral("cat \"$0\"; : > \"$1\""), secondListing, secondDone}};
  ArpTable second{m_log, otherPlatform, Clock::system()};
  QTimer::singleShot(0, qApp, [&] { second.ARP_LoadTable(); });  // runs inside the first load
  m_table.ARP_LoadTable();
  EXPECT_EQ(second.ARP_GetMACByIP(QStringLiteral("10.0.0.8")), QStringLiteral("00-1B-21-00-00-38"));
  EXPECT_EQ(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.3")),
            QStringLiteral("AA-BB-CC-DD-EE-0F"));
  EXPECT_TRUE(m_log.reports.isEmpty()) << m_log.reports.join(u'\n').toStdString();
}

TEST_F(ArpTableTest, TheCaptureIsConvertedByThePlatformBeforeItIsRead) {
  listCommandPrints(
      "10.0.0.21 dev vlab0 lladdr 00:0a:2b:01:80:01 REACHABLE\n"
      "10.0.0.22 dev vlab0 FAILED\n"
      "10.0.0.23 dev vlab0 lladdr 00:16:3e:00:00:33 STALE\n");
  QByteArray seen;
  m_platform.arpConverter = [&seen](const QByteArray& listing) {
    seen = listing;
    return platform::linux_backend::convertArpListing(listing);
  };
  m_table.ARP_LoadTable();
  EXPECT_TRUE(seen.startsWith("10.0.0.21 dev vlab0"));
  EXPECT_EQ(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.21")),
            QStringLiteral("00-0A-2B-01-80-01"));
  EXPECT_EQ(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.22")), QString());
  EXPECT_EQ(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.23")),
            QStringLiteral("00-16-3E-00-00-33"));
}

TEST_F(ArpTableTest, ALookupDuringTheCaptureSeesTheEmptiedTable) {
  m_table.ARP_LoadTable();
  ASSERT_FALSE(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.1")).isEmpty());
  m_platform.arp =
      CommandLine{QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), QStringLiteral("sleep 0.3; cat \"$0\""), m_listing}};
  QString during = QStringLiteral("not looked up");
  QTimer::singleShot(50, qApp,
                     [&] { during = m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.1")); });
  m_table.ARP_LoadTable();
  EXPECT_EQ(during, QString());
  EXPECT_EQ(m_table.ARP_GetMACByIP(QStringLiteral("10.0.0.1")),
            QStringLiteral("00-0A-2B-01-80-01"));
}

}  // namespace
}  // namespace velmaro
