// The Linux echo sockets and the engine against the loopback addresses of this machine:
// nothing leaves it. Each socket kind is tried when the system allows it, else skipped.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "platform/Platform.h"
#include "platform/linux/IcmpSocket.h"
#include "scan/ClassPingBase.h"
#include "support/FakePlatform.h"

using namespace Qt::StringLiterals;

namespace velmaro::platform::linux_backend {
// Names the socket kind in test listings.
void PrintTo(IcmpSocketKind kind, std::ostream* os) {
  *os << (kind == IcmpSocketKind::Raw ? "raw" : "datagram");
}
}  // namespace velmaro::platform::linux_backend

namespace velmaro::test {
namespace {

using platform::linux_backend::IcmpSocketKind;
using platform::linux_backend::openIcmpSocket;

bool isLoopback(quint32 address) { return (address >> 24) == 127; }

// Waits (bounded) for the next reply the socket hands over.
std::optional<platform::EchoReply> nextReply(platform::EchoSocket& socket, int limitMs) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (elapsed.elapsed() < limitMs) {
    if (auto reply = socket.receive()) return reply;
    QEventLoop wait;
    QObject::connect(&socket, &platform::EchoSocket::readyRead, &wait, &QEventLoop::quit);
    QTimer::singleShot(50, &wait, &QEventLoop::quit);
    wait.exec();
  }
  return std::nullopt;
}

class LoopbackSocketTest : public ::testing::TestWithParam<IcmpSocketKind> {
 protected:
  std::unique_ptr<platform::EchoSocket> open() {
    auto opened = openIcmpSocket(GetParam());
    if (!opened.socket)
      ADD_FAILURE() << "unexpected: " << opened.error.toStdString();  // callers skip first
    return std::move(opened.socket);
  }
  void SetUp() override {
    auto probe = openIcmpSocket(GetParam());
    if (!probe.socket)
      GTEST_SKIP() << "this kind of ICMP socket is not allowed here (" << probe.error.toStdString()
                   << "); run as root or widen net.ipv4.ping_group_range";
  }
};

TEST_P(LoopbackSocketTest, EchoComesBackWithSequenceAndData) {
  auto socket = open();
  ASSERT_TRUE(socket);
  const quint32 target = ipv4("127.0.0.1");
  ASSERT_TRUE(isLoopback(target));
  ASSERT_EQ(socket->send(target, 4242, "PINGDATAMESSAGE"), platform::SendResult::Sent);
  const auto reply = nextReply(*socket, 2000);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->source, target);
  EXPECT_EQ(reply->sequence, 4242);
  EXPECT_EQ(reply->data, QByteArray("PINGDATAMESSAGE"));
  EXPECT_FALSE(socket->receive());  // exactly one: our own request is not a reply
}

// Replies of one socket never come out of another, even with the same sequence and data.
TEST_P(LoopbackSocketTest, AnotherSocketsReplyIsNotHandedOver) {
  auto ours = open();
  auto other = open();
  ASSERT_TRUE(ours && other);
  ASSERT_EQ(other->send(ipv4("127.0.0.2"), 1, "PINGDATAMESSAGE"), platform::SendResult::Sent);
  ASSERT_TRUE(nextReply(*other, 2000));
  EXPECT_FALSE(nextReply(*ours, 200));
}

INSTANTIATE_TEST_SUITE_P(Kinds, LoopbackSocketTest,
                         ::testing::Values(IcmpSocketKind::Datagram, IcmpSocketKind::Raw),
                         [](const auto& tested) {
                           return tested.param == IcmpSocketKind::Raw ? "Raw" : "Datagram";
                         });

TEST(LoopbackEngine, BothLoopbackAddressesAnswer) {
  auto system = platform::createSystemPlatform();
  if (!system->openEchoSocket().socket)
    GTEST_SKIP() << "no ICMP socket can be opened by this user; run as root or widen "
                    "net.ipv4.ping_group_range";
  ClassPingBase engine(*system);
  std::vector<std::pair<qint32, qint32>> successes;
  int fails = 0;
  QObject::connect(&engine, &ClassPingBase::PingSuccess, &engine,
                   [&](const QString&, qint32 rtt, qint32 i) { successes.emplace_back(i, rtt); });
  QObject::connect(&engine, &ClassPingBase::PingFail, &engine, [&] { ++fails; });
  engine.PingHostList({u"127.0.0.1"_s, u"127.0.0.2"_s}, 2000, 4000);

  EXPECT_EQ(fails, 0);
  ASSERT_EQ(successes.size(), 2u);
  for (const auto& [index, rtt] : successes) EXPECT_GE(rtt, 0) << index;
  EXPECT_NE(successes[0].first, successes[1].first);
  EXPECT_GE(engine.PingHostSingle(u"127.0.0.1"_s, 0), 0);
}

}  // namespace
}  // namespace velmaro::test
