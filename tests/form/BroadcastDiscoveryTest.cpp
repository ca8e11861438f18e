// The "SCAN" button and the handling of replies, with a scripted socket: what goes out,
// which rows come back, and what a failure leaves in the error log.
#include <gtest/gtest.h>

#include <QFile>

#include "form/BroadcastDiscovery.h"
#include "support/FakeDatagramSocket.h"
#include "support/FakePlatform.h"
#include "support/FormHarness.h"

namespace velmaro {
namespace {

using test::FakeDatagramSocket;
using test::ipv4;

QByteArray replyFrom(const char* name, const char* mac, const char* text,
                     const char* portLine = nullptr) {
  QByteArray data = QByteArray(name) + "\r\n" + mac + "\r\n" + text;
  if (portLine) data += QByteArray("\r\n") + portLine;
  return data;
}

QString reportText(int number, const char* description, const char* procedure, int line) {
  return QStringLiteral("Error %1 (%2) in procedure %3 of Form frmMain on line %4")
      .arg(number)
      .arg(QString::fromLatin1(description), QString::fromLatin1(procedure))
      .arg(line);
}

class BroadcastScan : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(harness.folder.isValid());
    platform.datagramFactory = [this] {
      auto created = std::make_unique<FakeDatagramSocket>();
      socket = created.get();
      ++socketsCreated;
      return created;
    };
  }

  void writeOui(const QByteArray& content) {
    QFile file(harness.folder.path() + QStringLiteral("/oui.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
  }

  QString cell(int position, const char* key) {
    return list.cell(list.rowAt(position), list.GetColumnIndex(QString::fromLatin1(key)));
  }

  test::FakePlatform platform;
  test::FormHarness harness{platform};
  test::FakeControls& controls = harness.controls;
  ResultList& list = harness.list;
  test::RecordingReporter& log = harness.log;
  BroadcastDiscovery discovery{harness.form};

  FakeDatagramSocket* socket = nullptr;  // owned by `discovery` once created
  int socketsCreated = 0;
};

TEST_F(BroadcastScan, EmptiesTheListBindsAndSendsOneQuery) {
  list.append(QStringLiteral("10.0.0.1"));
  list.append(QStringLiteral("10.0.0.2"));

  discovery.cmdScanBroadcast_Click();

  EXPECT_EQ(list.count(), 0);
  ASSERT_NE(socket, nullptr);
  EXPECT_EQ(socket->closeCount, 1);
  EXPECT_EQ(socket->bindAttempts, std::vector<quint16>{2860});
  ASSERT_EQ(socket->sent.size(), 1u);
  EXPECT_EQ(socket->sent[0].data, QByteArray("getdeviceinfo"));
  EXPECT_EQ(socket->sent[0].data.size(), 13);
  EXPECT_EQ(socket->sent[0].address, ipv4("255.255.255.255"));
  EXPECT_EQ(socket->sent[0].port, 69);
  EXPECT_TRUE(socket->sent[0].whileBound);
  EXPECT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
}

TEST_F(BroadcastScan, EachReplyBecomesARowWithEveryCell) {
  writeOui("00-1B-21\tIntel Corporate\r\n");
  discovery.cmdScanBroadcast_Click();
  socket->deliver(replyFrom("NV-CAM-1000\0\0\0", "00-0A-2B-01-80-01", "Front door", "50"),
                  ipv4("198.18.7.21"));
  socket->deliver(replyFrom("NV-OLD-0100", "00-0A-2B-02-00-00", "Storage"), ipv4("198.18.7.23"));
  socket->deliver(replyFrom("OTHER-BOX-77", "00-1B-21-00-00-31", "Rack 4", "1F90"),
                  ipv4("198.18.7.31"));

  ASSERT_EQ(list.count(), 3);
  const struct {
    const char *ip, *port, *mac, *mfg, *name;
  } rows[] = {
      {"198.18.7.21", "80", "00-0A-2B-01-80-01", "Norvikta, Inc", "NV-CAM-1000 Front door"},
      {"198.18.7.23", "N/A", "00-0A-2B-02-00-00", "Etherstuff", "NV-OLD-0100 Storage"},
      {"198.18.7.31", "8080", "00-1B-21-00-00-31", "Intel Corporate", "OTHER-BOX-77 Rack 4"},
  };
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const RowId row = list.rowAt(i + 1);
    EXPECT_EQ(list.text(row), QString::fromLatin1(rows[i].ip));
    EXPECT_EQ(list.tag(row), QString::fromLatin1(rows[i].ip));
    EXPECT_EQ(list.icon(row), RowIcon::None);
    EXPECT_EQ(cell(i + 1, "httpport"), QString::fromLatin1(rows[i].port));
    EXPECT_EQ(cell(i + 1, "ping"), u"---");
    EXPECT_EQ(cell(i + 1, "mac"), QString::fromLatin1(rows[i].mac));
    EXPECT_EQ(cell(i + 1, "mfg"), QString::fromLatin1(rows[i].mfg));
    EXPECT_EQ(cell(i + 1, "name"), QString::fromLatin1(rows[i].name));
  }
  EXPECT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
}

TEST_F(BroadcastScan, TwoIdenticalRepliesGiveTwoIdenticalRows) {
  discovery.cmdScanBroadcast_Click();
  const QByteArray answer = replyFrom("NV-ENC-2200", "00-0A-2B-01-FF-FF", "Lab bench", "1F90");
  socket->deliver(answer, ipv4("198.18.7.22"));
  socket->deliver(answer, ipv4("198.18.7.22"));

  ASSERT_EQ(list.count(), 2);
  for (const char* key : {"ip", "httpport", "ping", "mac", "mfg", "name"}) {
    EXPECT_EQ(cell(1, key), cell(2, key)) << key;
  }
  EXPECT_EQ(cell(1, "mfg"), u"Norvikta, Inc");
}

TEST_F(BroadcastScan, ProcessMacsUncheckedLeavesTheManufacturerEmpty) {
  writeOui("00-1B-21\tIntel Corporate\r\n");
  controls.checks[CheckBox::ParseARP] = 0;
  discovery.cmdScanBroadcast_Click();
  socket->deliver(replyFrom("NV-CAM-1000", "00-0A-2B-01-80-01", "Front door"), ipv4("198.18.7.21"));
  socket->deliver(replyFrom("OTHER-BOX-77", "00-1B-21-00-00-31", "Rack 4"), ipv4("198.18.7.31"));

  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(cell(1, "mfg"), QString());
  EXPECT_EQ(cell(2, "mfg"), QString());
  EXPECT_EQ(cell(1, "mac"), u"00-0A-2B-01-80-01");
}

TEST_F(BroadcastScan, ProcessMacsIsReadForEveryReply) {
  discovery.cmdScanBroadcast_Click();
  socket->deliver(replyFrom("NV-CAM-1000", "00-0A-2B-01-80-01", "Front door"), ipv4("198.18.7.21"));
  controls.checks[CheckBox::ParseARP] = 0;
  socket->deliver(replyFrom("NV-CAM-1000", "00-0A-2B-01-80-01", "Front door"), ipv4("198.18.7.21"));

  ASSERT_EQ(list.count(), 2);
  EXPECT_EQ(cell(1, "mfg"), u"Norvikta, Inc");
  EXPECT_EQ(cell(2, "mfg"), QString());
}

TEST_F(BroadcastScan, ManufacturerRuleFollowsTheMacText) {
  writeOui("00-1B-21\tIntel Corporate\r\n00:0A:2B\tColon Vendor\r\n");
  const struct {
    const char* mac;
    const char* mfg;
  } cases[] = {
      {"00-0a-2b-01-80-05", "Norvikta, Inc"},  // the prefix test upper-cases
      {"00-0A-2B-01-80-00", "Etherstuff"},
      {"00-0A-2B-01-FF-FF", "Norvikta, Inc"},
      {"00:0A:2B:01:80:05", ""},  // to the vendor file, whose colon line is no entry
      {"00-1b-21-00-00-31", "Intel Corporate"},
      {"00-99-99-00-00-01", ""},  // no entry: the cell stays empty
  };
  discovery.cmdScanBroadcast_Click();
  for (const auto& c : cases) {
    socket->deliver(replyFrom("SOME-UNIT-NAME", c.mac, "text"), ipv4("198.18.7.50"));
  }
  ASSERT_EQ(list.count(), int(std::size(cases)));
  for (int i = 0; i < int(std::size(cases)); ++i) {
    EXPECT_EQ(cell(i + 1, "mfg"), QString::fromLatin1(cases[i].mfg)) << cases[i].mac;
  }
}

TEST_F(BroadcastScan, ImplausibleRepliesAddNothingAndReportNothing) {
  discovery.cmdScanBroadcast_Click();
  socket->deliver("short\r\nreply\r\nhere", ipv4("198.18.7.24"));
  socket->deliver("NV-BAD-0000\n00-0A-2B-01-90-00\nMalformed reply\n50", ipv4("198.18.7.24"));
  socket->deliver(QByteArray(), ipv4("198.18.7.24"));
  EXPECT_EQ(list.count(), 0);
  EXPECT_TRUE(log.reports.isEmpty());
}

TEST_F(BroadcastScan, BindFailureIsReportedAndTheQueryStillSent) {
  discovery.cmdScanBroadcast_Click();  // creates the socket
  socket->bindFailure = platform::SocketFailure{10048, QStringLiteral("Address in use")};
  socket->sent.clear();

  EXPECT_EQ(discovery.cmdScanBroadcast_Click(), ScanOutcome::ReplyPortHeld);

  EXPECT_EQ(log.reports,
            QStringList{reportText(10048, "Address in use", "cmdScanBroadcast_Click", 80)});
  ASSERT_EQ(socket->sent.size(), 1u);
  EXPECT_EQ(socket->sent[0].data, QByteArray("getdeviceinfo"));
  EXPECT_FALSE(socket->sent[0].whileBound);
}

TEST_F(BroadcastScan, SendFailureIsReportedOnLine100) {
  discovery.cmdScanBroadcast_Click();
  socket->sendFailure = platform::SocketFailure{10051, QStringLiteral("Network is unreachable")};
  EXPECT_EQ(discovery.cmdScanBroadcast_Click(), ScanOutcome::QueryNotSent);
  EXPECT_EQ(log.reports, QStringList{reportText(10051, "Network is unreachable",
                                                "cmdScanBroadcast_Click", 100)});
}

TEST_F(BroadcastScan, SecondClickStartsANewListOnTheSameSocket) {
  EXPECT_EQ(discovery.cmdScanBroadcast_Click(), ScanOutcome::Completed);
  socket->deliver(replyFrom("NV-CAM-1000", "00-0A-2B-01-80-01", "Front door"), ipv4("198.18.7.21"));
  socket->deliver(replyFrom("NV-ENC-2200", "00-0A-2B-01-FF-FF", "Lab bench"), ipv4("198.18.7.22"));
  ASSERT_EQ(list.count(), 2);
  FakeDatagramSocket* first = socket;

  discovery.cmdScanBroadcast_Click();
  EXPECT_EQ(list.count(), 0);
  EXPECT_EQ(socketsCreated, 1);
  EXPECT_EQ(socket, first);
  EXPECT_EQ(socket->closeCount, 2);
  EXPECT_EQ(socket->bindAttempts, (std::vector<quint16>{2860, 2860}));
  EXPECT_EQ(socket->sent.size(), 2u);

  // A late answer to the first query lands in the new list.
  socket->deliver(replyFrom("NV-OLD-0100", "00-0A-2B-02-00-00", "Storage"), ipv4("198.18.7.23"));
  ASSERT_EQ(list.count(), 1);
  EXPECT_EQ(list.text(list.rowAt(1)), u"198.18.7.23");
}

TEST_F(BroadcastScan, EverythingWaitingIsTakenAtTheFirstSignal) {
  discovery.cmdScanBroadcast_Click();
  for (int octet = 21; octet <= 23; ++octet) {
    socket->queueSilently(replyFrom("NV-CAM-1000", "00-0A-2B-01-80-01", "Front door"),
                          ipv4("198.18.7.0") + quint32(octet));
  }
  socket->deliver(replyFrom("NV-CAM-1000", "00-0A-2B-01-80-01", "Front door"), ipv4("198.18.7.24"));

  ASSERT_EQ(list.count(), 4);
  EXPECT_EQ(list.text(list.rowAt(1)), u"198.18.7.21");
  EXPECT_EQ(list.text(list.rowAt(4)), u"198.18.7.24");
  EXPECT_TRUE(socket->pending.empty());
}

TEST_F(BroadcastScan, RowLostMidwayIsReportedNotFatal) {
  discovery.cmdScanBroadcast_Click();
  // An event empties the list while "Process MACs" is read.
  controls.onRead = [this](CheckBox box) {
    if (box == CheckBox::ParseARP) list.clear();
  };
  socket->deliver(replyFrom("NV-ENC-2200", "00-0A-2B-01-FF-FF", "Lab bench"), ipv4("198.18.7.22"));

  EXPECT_EQ(list.count(), 0);
  // The prefix test cannot read the cell and counts as met: the maker rule's steps fail too.
  const char* objectNotSet = "Object variable or With block variable not set";
  EXPECT_EQ(log.reports,
            (QStringList{reportText(91, objectNotSet, "sktBroadcast_DataArrival", 160),
                         reportText(91, objectNotSet, "sktBroadcast_DataArrival", 170),
                         reportText(91, objectNotSet, "sktBroadcast_DataArrival", 210)}));

  // The next reply is handled as usual.
  controls.onRead = nullptr;
  socket->deliver(replyFrom("NV-ENC-2200", "00-0A-2B-01-FF-FF", "Lab bench"), ipv4("198.18.7.22"));
  ASSERT_EQ(list.count(), 1);
  EXPECT_EQ(cell(1, "mfg"), u"Norvikta, Inc");
}

TEST_F(BroadcastScan, NoSocketFromTheSystemIsReportedPerStep) {
  platform.datagramFactory = [] { return std::unique_ptr<platform::DatagramSocket>(); };
  list.append(QStringLiteral("10.0.0.1"));

  discovery.cmdScanBroadcast_Click();
  discovery.sktBroadcast_DataArrival();

  EXPECT_EQ(list.count(), 0);
  const char* objectNotSet = "Object variable or With block variable not set";
  EXPECT_EQ(log.reports,
            (QStringList{reportText(91, objectNotSet, "cmdScanBroadcast_Click", 40),
                         reportText(91, objectNotSet, "cmdScanBroadcast_Click", 80),
                         reportText(91, objectNotSet, "cmdScanBroadcast_Click", 100),
                         reportText(91, objectNotSet, "sktBroadcast_DataArrival", 20)}));
}

}  // namespace
}  // namespace velmaro
