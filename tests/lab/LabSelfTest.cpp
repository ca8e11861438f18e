// The lab itself, checked from the client namespace: the guard lets us in, every unit answers the
// discovery query with its own bytes, the web pages are where tests expect them, hosts answer
// ping, and a host's cable can be pulled and plugged back.
#include "support/LabGuard.h"
#include "support/LabLayout.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QMap>
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>

namespace velmaro::lab {
namespace {

QString Q(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}
QByteArray B(std::string_view text) {
  return QByteArray(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr int kReplyWaitMs = 2000;

// What the unit must send: name padded with NUL to 16 bytes, MAC, text, optional port line.
QByteArray ExpectedReply(const LabUnit& unit) {
  const QByteArray separator = unit.wellFormed ? "\r\n" : "\n";
  QByteArray name = B(unit.name);
  name.append(16 - name.size(), '\0');
  QByteArray reply = name + separator + B(unit.mac) + separator + B(unit.freeText);
  if (!unit.portLine.empty()) reply += separator + B(unit.portLine);
  return reply;
}

// Every datagram that arrives within the wait, keyed by sender address.
QMultiMap<QString, QByteArray> Collect(QUdpSocket& socket, int waitMs) {
  QMultiMap<QString, QByteArray> replies;
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < waitMs) {
    if (!socket.hasPendingDatagrams() &&
        !socket.waitForReadyRead(static_cast<int>(waitMs - clock.elapsed())))
      continue;
    while (socket.hasPendingDatagrams()) {
      const QNetworkDatagram datagram = socket.receiveDatagram();
      replies.insert(datagram.senderAddress().toString(), datagram.data());
    }
  }
  return replies;
}

// One HTTP/1.0 GET; the whole answer, or empty when no connection could be made in time.
QByteArray Get(std::string_view ip, int port, const char* page) {
  QTcpSocket socket;
  socket.connectToHost(QHostAddress(Q(ip)), static_cast<quint16>(port));
  if (!socket.waitForConnected(2000)) return {};
  socket.write(QByteArray("GET /") + page + "?sid=0.7055475000 HTTP/1.0\r\nHost: " + B(ip) +
               "\r\n\r\n");
  QByteArray response;
  QElapsedTimer clock;
  clock.start();
  while (socket.state() != QAbstractSocket::UnconnectedState && clock.elapsed() < 5000) {
    socket.waitForReadyRead(200);
    response += socket.readAll();
  }
  return response + socket.readAll();
}

TEST(LabSelfTest, GuardAcceptsTheClientNamespace) {
  QString why;
  EXPECT_TRUE(InLabNamespace(&why)) << why.toStdString();
}

class UnitQuery : public ::testing::TestWithParam<LabUnit> {};

TEST_P(UnitQuery, UnicastQueryGetsTheUnitsOwnBytes) {
  const LabUnit& unit = GetParam();
  QUdpSocket socket;
  ASSERT_TRUE(socket.bind(QHostAddress::AnyIPv4, 0));
  ASSERT_EQ(socket.writeDatagram("getdeviceinfo", QHostAddress(Q(unit.ip)), 69), 13);
  const auto replies = Collect(socket, 700);
  ASSERT_EQ(replies.size(), 1) << unit.key;
  EXPECT_EQ(replies.firstKey(), Q(unit.ip));
  EXPECT_EQ(replies.first(), ExpectedReply(unit)) << unit.key;
}

INSTANTIATE_TEST_SUITE_P(Units, UnitQuery, ::testing::ValuesIn(kUnits),
                         [](const auto& tested) { return std::string(tested.param.key); });

TEST(LabSelfTest, LimitedBroadcastReachesEveryUnitOnceAndNoOtherHost) {
  QUdpSocket socket;
  ASSERT_TRUE(socket.bind(QHostAddress::AnyIPv4, 2860, QUdpSocket::ShareAddress));
  ASSERT_EQ(socket.writeDatagram("getdeviceinfo", QHostAddress::Broadcast, 69), 13)
      << socket.errorString().toStdString();
  const auto replies = Collect(socket, kReplyWaitMs);
  EXPECT_EQ(replies.size(), static_cast<qsizetype>(kUnits.size()));
  for (const LabUnit& unit : kUnits) {
    EXPECT_EQ(replies.count(Q(unit.ip)), 1) << unit.key;
    EXPECT_EQ(replies.value(Q(unit.ip)), ExpectedReply(unit)) << unit.key;
  }
}

TEST(LabSelfTest, NonUnitsIgnoreTheQuery) {
  QUdpSocket socket;
  ASSERT_TRUE(socket.bind(QHostAddress::AnyIPv4, 0));
  for (const LabHost& host : kPlainHosts)
    socket.writeDatagram("getdeviceinfo", QHostAddress(Q(host.ip)), 69);
  for (const LabWebHost& host : kWebHosts)
    socket.writeDatagram("getdeviceinfo", QHostAddress(Q(host.ip)), 69);
  EXPECT_TRUE(Collect(socket, 700).isEmpty());
}

struct PageCase {
  const char* what;
  std::string_view ip;
  int port;
  const char* page;
  const char* statusLine;  // empty: nothing listens there
  std::vector<const char*> contains;
  std::vector<const char*> lacks;
};

class Pages : public ::testing::TestWithParam<PageCase> {};

TEST_P(Pages, AreServedWhereTestsExpectThem) {
  const PageCase& c = GetParam();
  const QByteArray response = Get(c.ip, c.port, c.page);
  if (std::string_view(c.statusLine).empty()) {
    EXPECT_TRUE(response.isEmpty()) << c.what << ": " << response.toStdString();
    return;
  }
  EXPECT_TRUE(response.startsWith(c.statusLine))
      << c.what << ": " << response.left(60).toStdString();
  for (const char* text : c.contains)
    EXPECT_TRUE(response.contains(text)) << c.what << " lacks " << text;
  for (const char* text : c.lacks)
    EXPECT_FALSE(response.contains(text)) << c.what << " has " << text;
}

INSTANTIATE_TEST_SUITE_P(
    Lab, Pages,
    ::testing::Values(
        PageCase{"u1 id with meta",
                 kU1.ip,
                 80,
                 "id.htm",
                 "HTTP/1.0 200 ",
                 {"<title>Norvikta Product ID</title>", "<meta name=\"NV-CAM-1000 Front door\">",
                  "<meta mac=\"00-0A-2B-01-80-01\">"},
                 {}},
        PageCase{
            "u1 no home page", kU1.ip, 80, "index.htm", "HTTP/1.0 404 ", {"File Not Found"}, {}},
        PageCase{"u2 id without meta",
                 kU2.ip,
                 8080,
                 "id.htm",
                 "HTTP/1.0 200 ",
                 {"<title>Norvikta Product ID</title>", "<body>NV-ENC-2200 Lab bench</body>"},
                 {"<meta"}},
        PageCase{"u2 nothing on 80", kU2.ip, 80, "id.htm", "", {}, {}},
        PageCase{
            "u3 no id page", kU3.ip, 80, "id.htm", "HTTP/1.0 404 ", {}, {"Norvikta Product ID"}},
        PageCase{"u3 home",
                 kU3.ip,
                 80,
                 "index.htm",
                 "HTTP/1.0 200 ",
                 {"<title>NV-OLD-0100 Storage</title>"},
                 {}},
        PageCase{"u3 only index.htm", kU3.ip, 80, "index.html", "HTTP/1.0 404 ", {}, {}},
        PageCase{"u5 no web at all", kU5.ip, 80, "id.htm", "", {}, {}},
        PageCase{"h3 index.htm",
                 kH3.ip,
                 80,
                 "index.htm",
                 "HTTP/1.0 200 ",
                 {"<title>Lab Web Host</title>"},
                 {}},
        PageCase{"h3 index.html",
                 kH3.ip,
                 80,
                 "index.html",
                 "HTTP/1.0 200 ",
                 {"<title>Lab Web Host</title>"},
                 {}},
        PageCase{"h1 no web", kH1.ip, 80, "index.htm", "", {}, {}}),
    [](const auto& tested) {
      std::string name = tested.param.what;
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(LabSelfTest, EveryLiveHostAnswersPingAndTheRestIsSilent) {
  for (std::string_view ip : kLiveIps) {
    QString why;
    EXPECT_TRUE(LabPing(ip, 1000, &why).has_value()) << ip << ": " << why.toStdString();
  }
  EXPECT_FALSE(LabPing(kSilentIp, 500).has_value());
  EXPECT_FALSE(LabPing(kSpare.ip, 500).has_value()) << "the spare host starts unplugged";
}

TEST(LabSelfTest, PingRefusesAddressesOutsideTheLab) {
  QString why;
  EXPECT_FALSE(LabPing("127.0.0.1", 200, &why).has_value());
  EXPECT_TRUE(why.contains(QStringLiteral("not a lab address"))) << why.toStdString();
}

TEST(LabSelfTest, PullingACableSilencesTheHostUntilItIsPluggedBack) {
  ASSERT_TRUE(LabPing(kH1.ip, 1000).has_value());
  {
    UnpluggedHost pulled(kH1.key);
    ASSERT_TRUE(pulled.ok()) << pulled.error().toStdString();
    EXPECT_FALSE(LabPing(kH1.ip, 500).has_value());
  }
  // Long enough for one ARP retry after the link came back.
  EXPECT_TRUE(LabPing(kH1.ip, 2500).has_value());
}

TEST(LabSelfTest, TheSpareHostAnswersOnceItIsPluggedIn) {
  QString why;
  ASSERT_TRUE(SetHostPlugged(kSpare.key, true, &why)) << why.toStdString();
  QString pingWhy;
  const bool answered = LabPing(kSpare.ip, 2500, &pingWhy).has_value();
  ASSERT_TRUE(SetHostPlugged(kSpare.key, false, &why)) << why.toStdString();
  EXPECT_TRUE(answered) << pingWhy.toStdString();
  EXPECT_FALSE(LabPing(kSpare.ip, 500).has_value());
}

TEST(LabSelfTest, UnknownHostKeysAreRefused) {
  QString why;
  EXPECT_FALSE(SetHostPlugged("zz", false, &why));
  EXPECT_TRUE(why.contains(QStringLiteral("no host"))) << why.toStdString();
}

}  // namespace
}  // namespace velmaro::lab
