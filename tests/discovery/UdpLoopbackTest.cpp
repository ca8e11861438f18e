// The system's UDP socket on loopback only: datagrams in and out whole with their sender,
// one signal per datagram, and a port held by another program refusing the bind.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <functional>

#include "platform/Platform.h"

namespace velmaro {
namespace {

constexpr quint32 kLoopback = 0x7F00'0001;  // 127.0.0.1

// Runs the event loop until `done` or two seconds have passed.
bool waitFor(const std::function<bool()>& done) {
  const QDeadlineTimer deadline(2000);
  while (!done()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

// A port nobody holds at this moment.
quint16 freePort() {
  QUdpSocket probe;
  if (!probe.bind(QHostAddress(QHostAddress::LocalHost), 0)) return 0;
  return probe.localPort();
}

// Every datagram these tests send goes to loopback; anything else is refused here.
void sendFromPeer(QUdpSocket& peer, const QByteArray& data, quint16 port) {
  const QHostAddress to(QHostAddress::LocalHost);
  ASSERT_TRUE(to.isLoopback());
  ASSERT_EQ(peer.writeDatagram(data, to, port), data.size());
}

class UdpLoopback : public ::testing::Test {
 protected:
  void SetUp() override {
    socket = system->createDatagramSocket();
    ASSERT_NE(socket, nullptr);
    QObject::connect(socket.get(), &platform::DatagramSocket::readyRead, [this] { ++signals_; });
    ASSERT_TRUE(peer.bind(QHostAddress(QHostAddress::LocalHost), 0));
  }

  std::unique_ptr<platform::Platform> system = platform::createSystemPlatform();
  std::unique_ptr<platform::DatagramSocket> socket;
  QUdpSocket peer;
  int signals_ = 0;
};

TEST_F(UdpLoopback, ReceivesDatagramsWholeWithTheirSender) {
  const quint16 port = freePort();
  ASSERT_NE(port, 0);
  ASSERT_EQ(socket->bind(port), std::nullopt);

  const QByteArray first("NV-CAM-1000\0\0\0\r\n00-0A-2B-01-80-01\r\nFront door\r\n50", 48);
  const QByteArray largest(65507, 'x');  // the most an IPv4 datagram carries
  sendFromPeer(peer, first, port);
  sendFromPeer(peer, largest, port);
  sendFromPeer(peer, QByteArray(), port);

  ASSERT_TRUE(waitFor([&] { return signals_ >= 3; })) << "signals: " << signals_;
  const auto a = socket->receive();
  const auto b = socket->receive();
  const auto c = socket->receive();
  ASSERT_TRUE(a && b && c);
  EXPECT_EQ(a->data, first);
  EXPECT_EQ(a->source, kLoopback);
  EXPECT_EQ(a->sourcePort, peer.localPort());
  EXPECT_EQ(b->data.size(), largest.size());
  EXPECT_EQ(b->data, largest);
  EXPECT_TRUE(c->data.isEmpty());
  EXPECT_EQ(socket->receive(), std::nullopt);
  EXPECT_EQ(signals_, 3);
}

TEST_F(UdpLoopback, SendsFromTheBoundPort) {
  const quint16 port = freePort();
  ASSERT_NE(port, 0);
  ASSERT_EQ(socket->bind(port), std::nullopt);
  ASSERT_EQ(socket->sendTo("getdeviceinfo", kLoopback, peer.localPort()), std::nullopt);

  ASSERT_TRUE(waitFor([&] { return peer.hasPendingDatagrams(); }));
  const QNetworkDatagram got = peer.receiveDatagram();
  EXPECT_EQ(got.data(), QByteArray("getdeviceinfo"));
  EXPECT_EQ(got.senderPort(), port);
}

TEST_F(UdpLoopback, APortHeldElsewhereRefusesTheBindAndSendingStillWorks) {
  QUdpSocket holder;
  ASSERT_TRUE(
      holder.bind(QHostAddress(QHostAddress::AnyIPv4), 0, QAbstractSocket::DontShareAddress));
  const auto failure = socket->bind(holder.localPort());
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->number, 10048);
#ifdef Q_OS_WIN
  // The system's own words for the number.
  EXPECT_EQ(failure->description,
            u"Only one usage of each socket address (protocol/network address/port) is normally "
            u"permitted");
#else
  EXPECT_EQ(failure->description, u"Address in use");
#endif

  ASSERT_EQ(socket->sendTo("getdeviceinfo", kLoopback, peer.localPort()), std::nullopt);
  ASSERT_TRUE(waitFor([&] { return peer.hasPendingDatagrams(); }));
  const QNetworkDatagram got = peer.receiveDatagram();
  EXPECT_EQ(got.data(), QByteArray("getdeviceinfo"));
  EXPECT_NE(got.senderPort(), holder.localPort());
}

TEST_F(UdpLoopback, CloseAndBindAgainOnTheSamePort) {
  const quint16 port = freePort();
  ASSERT_NE(port, 0);
  ASSERT_EQ(socket->bind(port), std::nullopt);
  socket->close();
  ASSERT_EQ(socket->bind(port), std::nullopt);  // the port is free again at once

  sendFromPeer(peer, "after the second bind", port);
  ASSERT_TRUE(waitFor([&] { return signals_ >= 1; }));
  const auto got = socket->receive();
  ASSERT_TRUE(got);
  EXPECT_EQ(got->data, QByteArray("after the second bind"));
}

TEST_F(UdpLoopback, ClosingDropsWhatWasWaiting) {
  const quint16 port = freePort();
  ASSERT_NE(port, 0);
  ASSERT_EQ(socket->bind(port), std::nullopt);
  sendFromPeer(peer, "stale", port);
  ASSERT_TRUE(waitFor([&] { return signals_ >= 1; }));
  socket->close();
  EXPECT_EQ(socket->receive(), std::nullopt);
}

TEST_F(UdpLoopback, OversizedSendIsRefused) {
  const auto failure = socket->sendTo(QByteArray(65536, 'x'), kLoopback, peer.localPort());
  ASSERT_TRUE(failure.has_value());
  EXPECT_EQ(failure->number, 10040);
}

// A socket tied to one card: it takes the port on that card and names the card of every
// datagram; no other socket gets the port meanwhile; a card that does not exist is refused.
TEST_F(UdpLoopback, ACardsSocketNamesTheCardEachDatagramCameIn) {
  const auto onLoopback = system->createInterfaceSocket(QStringLiteral("lo"));
  ASSERT_NE(onLoopback, nullptr);
  const quint16 port = freePort();
  ASSERT_NE(port, 0);
  ASSERT_EQ(onLoopback->bind(port), std::nullopt);
  int arrived = 0;
  QObject::connect(onLoopback.get(), &platform::DatagramSocket::readyRead, [&] { ++arrived; });
  sendFromPeer(peer, "NV-CAM-1000", port);
  ASSERT_TRUE(waitFor([&] { return arrived >= 1; }));
  const auto got = onLoopback->receive();
  ASSERT_TRUE(got.has_value());
  EXPECT_EQ(got->arrivalInterface, u"lo");
  EXPECT_EQ(got->source, kLoopback);

  // The port is taken on the card, so neither a plain socket nor a second one there gets it.
  const auto plain = socket->bind(port);
  ASSERT_TRUE(plain.has_value());
  EXPECT_EQ(plain->number, 10048);
  const auto refused = system->createInterfaceSocket(QStringLiteral("lo"))->bind(port);
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->number, 10048);
  EXPECT_TRUE(
      system->createInterfaceSocket(QStringLiteral("no-such-card0"))->bind(port).has_value());
}

}  // namespace
}  // namespace velmaro
