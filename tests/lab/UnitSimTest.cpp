// The unit simulator's bytes: the discovery reply in each shape, the HTTP exchange, the options,
// and the real program on loopback (where it may run without a lab).
#include "Hostile.h"
#include "HostileIcmp.h"
#include "LabNamespaceCheck.h"
#include "UnitOptions.h"
#include "UnitPages.h"
#include "UnitReply.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QUdpSocket>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace velmaro::lab {
namespace {

UnitIdentity Cam() {
  UnitIdentity unit;
  unit.name = QStringLiteral("NV-CAM-1000");
  unit.macText = QStringLiteral("00-0A-2B-01-80-01");
  unit.freeText = QStringLiteral("Front door");
  unit.portLine = QStringLiteral("50");
  return unit;
}

struct ReplyCase {
  const char* what;
  ReplyShape shape;
  bool portLine;
  int width;
  QByteArray expected;
};

void PrintTo(const ReplyCase& c, std::ostream* os) { *os << c.what; }

class ReplyShapes : public ::testing::TestWithParam<ReplyCase> {};

TEST_P(ReplyShapes, BuildTheDatagramBytes) {
  const ReplyCase& c = GetParam();
  UnitIdentity unit = Cam();
  unit.shape = c.shape;
  unit.nameWidth = c.width;
  if (!c.portLine) unit.portLine.reset();
  EXPECT_EQ(BuildReply(unit), c.expected) << c.what;
}

const QByteArray kNul5("\0\0\0\0\0", 5);

INSTANTIATE_TEST_SUITE_P(
    Shapes, ReplyShapes,
    ::testing::Values(ReplyCase{"four lines", ReplyShape::Normal, true, 16,
                                "NV-CAM-1000" + kNul5 +
                                    "\r\n00-0A-2B-01-80-01\r\nFront door\r\n50"},
                      ReplyCase{"three lines", ReplyShape::Normal, false, 16,
                                "NV-CAM-1000" + kNul5 + "\r\n00-0A-2B-01-80-01\r\nFront door"},
                      ReplyCase{"name wider than the field", ReplyShape::Normal, false, 4,
                                "NV-CAM-1000\r\n00-0A-2B-01-80-01\r\nFront door"},
                      ReplyCase{"LF only", ReplyShape::LfOnly, true, 16,
                                "NV-CAM-1000" + kNul5 + "\n00-0A-2B-01-80-01\nFront door\n50"},
                      ReplyCase{"short", ReplyShape::Short, true, 16,
                                ("NV-CAM-1000" + kNul5 + "\r\n00-0A-2B-01-80-01\r\nFr").left(31)},
                      ReplyCase{"silent", ReplyShape::None, true, 16, QByteArray()}));

TEST(UnitReply, ShortReplyIsOneByteBelowWhatReadersAccept) {
  UnitIdentity unit = Cam();
  unit.shape = ReplyShape::Short;
  EXPECT_EQ(BuildReply(unit).size(), 31);
}

TEST(UnitReply, AnswersOnlyTheExactQuery) {
  EXPECT_TRUE(IsDiscoveryQuery("getdeviceinfo"));
  for (const char* other : {"getdeviceinfo\r\n", "GETDEVICEINFO", "getdeviceinf", ""})
    EXPECT_FALSE(IsDiscoveryQuery(other)) << other;
}

TEST(UnitReply, ReadsShapeNames) {
  EXPECT_EQ(ReplyShapeFromName(u"lf"), ReplyShape::LfOnly);
  EXPECT_EQ(ReplyShapeFromName(u"short"), ReplyShape::Short);
  EXPECT_FALSE(ReplyShapeFromName(u"LF").has_value());
}

struct HeadCase {
  const char* what;
  QByteArray received;
  HeadStatus status;
  const char* page;
};

class RequestHeads : public ::testing::TestWithParam<HeadCase> {};

TEST_P(RequestHeads, ParseTheRequestLine) {
  const HeadCase& c = GetParam();
  const HeadParse parsed = ParseRequestHead(c.received);
  EXPECT_EQ(parsed.status, c.status) << c.what;
  if (c.status == HeadStatus::Complete) {
    EXPECT_EQ(parsed.head.page, QLatin1String(c.page)) << c.what;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Heads, RequestHeads,
    ::testing::Values(
        HeadCase{"with query", "GET /id.htm?sid=0.7055475000 HTTP/1.1\r\nHost: a\r\n\r\n",
                 HeadStatus::Complete, "id.htm"},
        HeadCase{"plain", "GET /index.html HTTP/1.0\r\n\r\n", HeadStatus::Complete, "index.html"},
        HeadCase{"root", "GET / HTTP/1.0\r\n\r\n", HeadStatus::Complete, ""},
        HeadCase{"LF only", "GET /index.htm HTTP/1.0\n\n", HeadStatus::Complete, "index.htm"},
        HeadCase{"head not finished", "GET /id.htm HTTP/1.1\r\nHost: a\r\n", HeadStatus::Incomplete,
                 ""},
        HeadCase{"no version", "GET /id.htm\r\n\r\n", HeadStatus::Malformed, ""},
        HeadCase{"no slash", "GET id.htm HTTP/1.0\r\n\r\n", HeadStatus::Malformed, ""},
        HeadCase{"endless head", QByteArray(kMaxRequestHead + 1, 'a'), HeadStatus::Malformed, ""},
        HeadCase{"head too long",
                 "GET / HTTP/1.0\r\nX: " + QByteArray(kMaxRequestHead, 'a') + "\r\n\r\n",
                 HeadStatus::Malformed, ""}));

PageSet CamPages(IdPageStyle style) {
  PageSet pages;
  pages.idPage = style;
  pages.productName = QStringLiteral("NV-CAM-1000 Front door");
  pages.macText = QStringLiteral("00-0A-2B-01-80-01");
  return pages;
}

TEST(UnitPages, ProductIdPageWithMetaCarriesNameAndMac) {
  const auto page = PageBody(CamPages(IdPageStyle::WithMeta), u"id.htm");
  ASSERT_TRUE(page.has_value());
  EXPECT_TRUE(page->contains("<title>Norvikta Product ID</title>"));
  EXPECT_TRUE(page->contains("<meta name=\"NV-CAM-1000 Front door\">"));
  EXPECT_TRUE(page->contains("<meta mac=\"00-0A-2B-01-80-01\">"));
  EXPECT_TRUE(page->contains("<body>NV-CAM-1000 Front door</body>"));
}

TEST(UnitPages, ProductIdPageWithoutMetaHasNoMetaAtAll) {
  const auto page = PageBody(CamPages(IdPageStyle::BodyOnly), u"id.htm");
  ASSERT_TRUE(page.has_value());
  EXPECT_TRUE(page->contains("<title>Norvikta Product ID</title>"));
  EXPECT_FALSE(page->contains("<meta"));
  EXPECT_TRUE(page->contains("<body>NV-CAM-1000 Front door</body>"));
}

TEST(UnitPages, NamesAreEscapedIntoTheMarkup) {
  PageSet pages = CamPages(IdPageStyle::WithMeta);
  pages.productName = QStringLiteral("A\"<b>");
  EXPECT_TRUE(PageBody(pages, u"id.htm")->contains("<meta name=\"A&quot;&lt;b&gt;\">"));
}

TEST(UnitPages, OnlyTheListedHomePagesExist) {
  PageSet pages = CamPages(IdPageStyle::None);
  pages.homeTitle = QStringLiteral("Lab Web Host");
  pages.homePages = QStringList{QStringLiteral("index.htm")};
  EXPECT_FALSE(PageBody(pages, u"id.htm").has_value());
  ASSERT_TRUE(PageBody(pages, u"index.htm").has_value());
  EXPECT_TRUE(PageBody(pages, u"index.htm")->contains("<title>Lab Web Host</title>"));
  EXPECT_FALSE(PageBody(pages, u"index.html").has_value());
  EXPECT_FALSE(PageBody(pages, u"INDEX.HTM").has_value());
}

struct ResponseCase {
  const char* what;
  QByteArray request;
  const char* statusLine;
  bool hasBody;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const ResponseCase& c, std::ostream* os) { *os << c.what; }

class Responses : public ::testing::TestWithParam<ResponseCase> {};

TEST_P(Responses, AnswerEveryRequest) {
  const ResponseCase& c = GetParam();
  const QByteArray response =
      BuildResponse(CamPages(IdPageStyle::WithMeta), ParseRequestHead(c.request));
  EXPECT_TRUE(response.startsWith(c.statusLine))
      << c.what << ": " << response.left(40).toStdString();
  const qsizetype headEnd = response.indexOf("\r\n\r\n");
  ASSERT_GT(headEnd, 0);
  const QByteArray body = response.mid(headEnd + 4);
  EXPECT_EQ(!body.isEmpty(), c.hasBody) << c.what;
  if (c.hasBody) {
    EXPECT_TRUE(response.contains("Content-Length: " + QByteArray::number(body.size()) + "\r\n"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, Responses,
    ::testing::Values(
        ResponseCase{"found", "GET /id.htm?sid=0.1 HTTP/1.1\r\n\r\n", "HTTP/1.0 200 OK\r\n", true},
        ResponseCase{"missing", "GET /index.htm HTTP/1.1\r\n\r\n", "HTTP/1.0 404 Not Found\r\n",
                     true},
        ResponseCase{"head only", "HEAD /id.htm HTTP/1.1\r\n\r\n", "HTTP/1.0 200 OK\r\n", false},
        ResponseCase{"other method", "POST /id.htm HTTP/1.1\r\n\r\n", "HTTP/1.0 501 ", true},
        ResponseCase{"garbage", "hello\r\n\r\n", "HTTP/1.0 400 ", true}));

TEST(UnitPages, NotFoundPageIsTitledTheWayUnitsTitleIt) {
  const QByteArray response =
      BuildResponse(CamPages(IdPageStyle::None), ParseRequestHead("GET /x HTTP/1.0\r\n\r\n"));
  EXPECT_TRUE(response.contains("<title>File Not Found</title>"));
}

TEST(UnitOptions, BuildsTheUnitFromItsCommandLine) {
  const auto parsed =
      ParseUnitOptions({u"sim"_s, u"--name"_s, u"NV-ENC-2200"_s, u"--mac"_s, u"00-0A-2B-01-FF-FF"_s,
                        u"--text"_s, u"Lab bench"_s, u"--port-line"_s, u"1F90"_s, u"--http-port"_s,
                        u"8080"_s, u"--id-page"_s, u"body"_s});
  ASSERT_TRUE(std::holds_alternative<UnitOptions>(parsed))
      << std::get<QString>(parsed).toStdString();
  const auto& options = std::get<UnitOptions>(parsed);
  EXPECT_EQ(options.httpPort, 8080);
  EXPECT_EQ(options.udpPort, 69);
  EXPECT_EQ(options.pages.idPage, IdPageStyle::BodyOnly);
  EXPECT_EQ(options.pages.productName, QStringLiteral("NV-ENC-2200 Lab bench"));
  EXPECT_EQ(options.identity.portLine, QStringLiteral("1F90"));
  EXPECT_TRUE(options.pages.homePages.isEmpty());  // no home title: no home page
}

TEST(UnitOptions, RefusesBadArguments) {
  const std::vector<QStringList> bad{
      {u"sim"_s, u"--http-port"_s, u"70000"_s},
      {u"sim"_s, u"--reply"_s, u"weird"_s},
      {u"sim"_s, u"--id-page"_s, u"xml"_s},
      {u"sim"_s, u"--bind"_s, u"::1"_s},
      {u"sim"_s, u"--bind"_s, u"nowhere"_s},
      {u"sim"_s, u"--max-seconds"_s, u"0"_s},
      {u"sim"_s, u"--name-width"_s, u"-1"_s},
      {u"sim"_s, u"stray"_s},
      {u"sim"_s, u"--unknown"_s},
      {u"sim"_s, u"--web"_s, u"slow"_s},
      {u"sim"_s, u"--missing"_s, u"none"_s},
      {u"sim"_s, u"--id-page"_s, u"meta-mac"_s},
      {u"sim"_s, u"--web"_s, u"silent"_s, u"--redirect-to"_s, u"http://198.18.7.21/"_s}};
  for (const QStringList& arguments : bad)
    EXPECT_TRUE(std::holds_alternative<QString>(ParseUnitOptions(arguments)))
        << arguments.join(u' ').toStdString();
}

// The real program, on loopback: a query gets its reply and a page its answer.
class UnitSimOnLoopback : public ::testing::Test {
 protected:
  void SetUp() override {
    m_udpPort = static_cast<quint16>(20000 + QRandomGenerator::global()->bounded(20000));
    m_httpPort = static_cast<quint16>(m_udpPort + 1);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    m_process.start(
        QStringLiteral(VELMARO_UNITSIM_PATH),
        {u"--bind"_s, u"127.0.0.1"_s, u"--udp-port"_s, QString::number(m_udpPort), u"--http-port"_s,
         QString::number(m_httpPort), u"--name"_s, u"NV-CAM-1000"_s, u"--mac"_s,
         u"00-0A-2B-01-80-01"_s, u"--text"_s, u"Front door"_s, u"--port-line"_s, u"50"_s,
         u"--id-page"_s, u"meta"_s, u"--max-seconds"_s, u"60"_s});
    ASSERT_TRUE(m_process.waitForStarted(5000));
    ASSERT_TRUE(m_process.waitForReadyRead(5000)) << "the simulator never said it was listening";
    const QByteArray said = m_process.readAll();
    ASSERT_TRUE(said.contains("listening")) << said.toStdString();
  }
  void TearDown() override {
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) m_process.kill();
  }

  QProcess m_process;
  quint16 m_udpPort = 0;
  quint16 m_httpPort = 0;
};

TEST_F(UnitSimOnLoopback, AnswersTheQueryToItsSourcePort) {
  QUdpSocket socket;
  ASSERT_TRUE(socket.bind(QHostAddress::LocalHost, 0));
  socket.writeDatagram("not a query", QHostAddress::LocalHost, m_udpPort);
  socket.writeDatagram("getdeviceinfo", QHostAddress::LocalHost, m_udpPort);
  ASSERT_TRUE(socket.waitForReadyRead(3000));
  const QNetworkDatagram reply = socket.receiveDatagram();
  EXPECT_EQ(reply.data(), "NV-CAM-1000" + kNul5 + "\r\n00-0A-2B-01-80-01\r\nFront door\r\n50");
  EXPECT_EQ(reply.senderPort(), m_udpPort);
  EXPECT_FALSE(socket.waitForReadyRead(300)) << "the stray datagram was answered";
}

TEST_F(UnitSimOnLoopback, ServesTheProductIdPageAndEndsTheConnection) {
  QTcpSocket socket;
  socket.connectToHost(QHostAddress::LocalHost, m_httpPort);
  ASSERT_TRUE(socket.waitForConnected(3000));
  socket.write("GET /id.htm?sid=0.7055475000 HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
  QByteArray response;
  QElapsedTimer clock;
  clock.start();
  while (socket.state() != QAbstractSocket::UnconnectedState && clock.elapsed() < 5000) {
    socket.waitForReadyRead(200);
    response += socket.readAll();
  }
  response += socket.readAll();
  EXPECT_TRUE(response.startsWith("HTTP/1.0 200 OK\r\n")) << response.toStdString();
  EXPECT_TRUE(response.contains("<meta mac=\"00-0A-2B-01-80-01\">"));
  EXPECT_EQ(socket.state(), QAbstractSocket::UnconnectedState)
      << "the unit kept the connection open";
}

TEST(UnitSim, RefusesToListenBeyondLoopbackOutsideTheLab) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(QStringLiteral(VELMARO_UNITSIM_PATH),
                {u"--udp-port"_s, u"0"_s, u"--http-port"_s, u"0"_s, u"--max-seconds"_s, u"1"_s});
  ASSERT_TRUE(process.waitForFinished(5000));
  const QByteArray said = process.readAll();
  if (said.contains("listening")) GTEST_SKIP() << "this test runs inside a lab namespace";
  EXPECT_EQ(process.exitCode(), 3);
  EXPECT_TRUE(said.contains("refusing to run outside a lab namespace")) << said.toStdString();
}

TEST(UnitOptions, EveryModeThatReachesBeyondLoopbackNeedsTheLab) {
  const struct {
    QStringList arguments;
    bool beyond;
  } cases[] = {
      {{u"sim"_s, u"--bind"_s, u"127.0.0.1"_s}, false},
      {{u"sim"_s, u"--bind"_s, u"127.0.0.1"_s, u"--flood-port"_s, u"7070"_s}, false},
      {{u"sim"_s, u"--bind"_s, u"127.0.0.1"_s, u"--icmp-noise"_s, u"198.18.7.99"_s}, true},
      {{u"sim"_s, u"--bind"_s, u"127.0.0.1"_s, u"--icmp-noise"_s, u"127.0.0.2"_s}, true},
      {{u"sim"_s}, true},  // every card
      {{u"sim"_s, u"--bind"_s, u"198.18.7.21"_s}, true},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseUnitOptions(c.arguments);
    ASSERT_TRUE(std::holds_alternative<UnitOptions>(parsed))
        << c.arguments.join(u' ').toStdString();
    EXPECT_EQ(SendsBeyondLoopback(std::get<UnitOptions>(parsed)), c.beyond)
        << c.arguments.join(u' ').toStdString();
  }
}

// No event loop runs here, so even sockets that were opened would never answer anything.
TEST(IcmpNoise, OpensNoRawSocketOutsideTheLab) {
  if (!LabRefusal(ReadNamespaceFacts())) GTEST_SKIP() << "this test runs inside a lab namespace";
  IcmpNoise noise(0xC61207FFu, 0);
  QString why;
  EXPECT_FALSE(noise.start(&why));
  EXPECT_TRUE(why.contains(u"outside a lab namespace")) << why.toStdString();
}

// The noise unit bound to loopback, in a namespace of its own made here: only a downed
// loopback, so nothing could leave even if the guard failed. Making one needs root.
TEST(UnitSim, NoiseModeRefusesOutsideTheLabEvenWhenBoundToLoopback) {
  if (::geteuid() != 0) GTEST_SKIP() << "a private network namespace needs root";
  const struct {
    const char* what;
    QStringList arguments;
  } cases[] = {
      {"loopback bind", {u"--bind"_s, u"127.0.0.1"_s, u"--icmp-noise"_s, u"198.18.7.99"_s}},
      {"every card", {u"--icmp-noise"_s, u"198.18.7.99"_s}},
  };
  for (const auto& c : cases) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(
        u"unshare"_s,
        QStringList{u"--net"_s, u"--"_s, QStringLiteral(VELMARO_UNITSIM_PATH), u"--udp-port"_s,
                    u"0"_s, u"--http-port"_s, u"0"_s, u"--max-seconds"_s, u"1"_s} +
            c.arguments);
    ASSERT_TRUE(process.waitForFinished(10000)) << c.what;
    const QByteArray said = process.readAll();
    if (said.startsWith("unshare:")) GTEST_SKIP() << said.toStdString();
    EXPECT_EQ(process.exitCode(), 3) << c.what << ": " << said.toStdString();
    EXPECT_TRUE(said.contains("refusing to run outside a lab namespace")) << c.what;
    EXPECT_FALSE(said.contains("listening")) << c.what;
  }
}

}  // namespace
}  // namespace velmaro::lab
