// The Windows backend against this machine's loopback addresses: nothing leaves it. Run in a
// network namespace with only loopback up, where 10.0.0.0/8 has no route.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "platform/Advice.h"
#include "platform/Platform.h"
#include "platform/windows/SystemError.h"
#include "support/FakePlatform.h"

using namespace Qt::StringLiterals;

namespace velmaro::platform::windows_backend {
namespace {

using test::ipv4;

constexpr int kWaitMs = 3000;

// Waits (bounded) until `take` hands something over.
template <class Socket, class Take>
auto waitFor(Socket& socket, Take take) -> decltype(take()) {
  QElapsedTimer elapsed;
  elapsed.start();
  while (elapsed.elapsed() < kWaitMs) {
    if (auto got = take()) return got;
    QEventLoop wait;
    QObject::connect(&socket, &Socket::readyRead, &wait, &QEventLoop::quit);
    QTimer::singleShot(50, &wait, &QEventLoop::quit);
    wait.exec();
  }
  return std::nullopt;
}

TEST(WindowsUdp, CarriesADatagramOverLoopback) {
  const auto system = createSystemPlatform();
  const auto receiver = system->createDatagramSocket();
  const auto sender = system->createDatagramSocket();
  ASSERT_FALSE(receiver->bind(48601));
  ASSERT_FALSE(sender->sendTo("getdeviceinfo", ipv4("127.0.0.1"), 48601));
  const auto datagram = waitFor(*receiver, [&] { return receiver->receive(); });
  ASSERT_TRUE(datagram);
  EXPECT_EQ(datagram->data, QByteArray("getdeviceinfo"));
  EXPECT_EQ(datagram->source, ipv4("127.0.0.1"));
  EXPECT_NE(datagram->sourcePort, 0);
}

TEST(WindowsUdp, ASecondHolderOfThePortGetsAddressInUse) {
  const auto system = createSystemPlatform();
  const auto first = system->createDatagramSocket();
  const auto second = system->createDatagramSocket();
  ASSERT_FALSE(first->bind(48602));
  const auto failure = second->bind(48602);
  ASSERT_TRUE(failure);
  EXPECT_EQ(failure->number, 10048);
  EXPECT_EQ(failure->description, systemErrorText(10048));
  // Once the holder lets go, the port is free again.
  first->close();
  second->close();
  EXPECT_FALSE(second->bind(48602));
}

TEST(WindowsEcho, LoopbackAnswersEachRequestWithItsSequenceAndData) {
  auto opened = createSystemPlatform()->openEchoSocket();
  ASSERT_TRUE(opened.socket) << opened.error.toStdString();
  EchoSocket& socket = *opened.socket;
  const std::map<quint16, QByteArray> sent{{7, "first"}, {8, "second one"}, {900, "third!"}};
  for (const auto& [sequence, data] : sent)
    ASSERT_EQ(socket.send(ipv4("127.0.0.1"), sequence, data), SendResult::Sent);
  std::map<quint16, QByteArray> answered;
  while (answered.size() < sent.size()) {
    const auto reply = waitFor(socket, [&] { return socket.receive(); });
    ASSERT_TRUE(reply) << answered.size() << " replies came";
    EXPECT_EQ(reply->source, ipv4("127.0.0.1"));
    answered[reply->sequence] = reply->data;
  }
  EXPECT_EQ(answered, sent);
}

TEST(WindowsEcho, AnAddressWithoutRouteIsRefusedOrStaysSilent) {
  auto opened = createSystemPlatform()->openEchoSocket();
  ASSERT_TRUE(opened.socket) << opened.error.toStdString();
  const SendResult result = opened.socket->send(ipv4("10.255.0.1"), 1, "silent");
  EXPECT_NE(result, SendResult::TryAgain);
  if (result == SendResult::Sent) {
    EXPECT_FALSE(waitFor(*opened.socket, [&] { return opened.socket->receive(); }));
  }
  // Closed with the request possibly still the system's: must neither hang nor crash.
  QElapsedTimer closing;
  closing.start();
  opened.socket.reset();
  EXPECT_LT(closing.elapsed(), 5000);
}

TEST(WindowsEcho, HoldsAtMostItsBoundInFlightAndSaysWhenItTakesMore) {
  auto opened = createSystemPlatform()->openEchoSocket();
  ASSERT_TRUE(opened.socket) << opened.error.toStdString();
  EchoSocket& socket = *opened.socket;
  // No event loop runs meanwhile, so none of them can end before the bound is reached.
  int sent = 0;
  SendResult last = SendResult::Sent;
  while (sent < 10000 &&
         (last = socket.send(ipv4("127.0.0.1"), quint16(sent), "x")) == SendResult::Sent)
    ++sent;
  EXPECT_EQ(last, SendResult::TryAgain);
  EXPECT_EQ(sent, 4096);
  socket.watchWritable(true);
  bool writable = false;
  QObject::connect(&socket, &EchoSocket::writable, [&] { writable = true; });
  QElapsedTimer elapsed;
  elapsed.start();
  while (!writable && elapsed.elapsed() < kWaitMs) {
    QEventLoop wait;
    QTimer::singleShot(20, &wait, &QEventLoop::quit);
    wait.exec();
  }
  EXPECT_TRUE(writable);
  EXPECT_EQ(socket.send(ipv4("127.0.0.1"), 1, "x"), SendResult::Sent);
}

TEST(WindowsCards, ListLoopbackWithItsAddress) {
  const auto system = createSystemPlatform();
  const auto cards = system->networkInterfaces();
  ASSERT_TRUE(cards);
  const auto loopback = std::find_if(cards->begin(), cards->end(), [](const NetworkInterface& c) {
    return c.kind == LinkKind::Loopback;
  });
  ASSERT_NE(loopback, cards->end());
  EXPECT_FALSE(loopback->name.isEmpty());
  const auto addresses = system->ipv4Addresses();
  ASSERT_TRUE(addresses);
  EXPECT_NE(std::find(addresses->begin(), addresses->end(), ipv4("127.0.0.1")), addresses->end());
}

TEST(WindowsSystemError, IsOneEnglishLineWithoutItsFullStop) {
  for (const int number : {10048, 10013, 5}) {
    const QString text = systemErrorText(number);
    EXPECT_FALSE(text.isEmpty()) << number;
    EXPECT_FALSE(text.contains(u'\r') || text.contains(u'\n')) << text.toStdString();
    EXPECT_FALSE(text.endsWith(u'.')) << text.toStdString();
    EXPECT_FALSE(text.startsWith(u"Unknown error")) << number;
  }
  EXPECT_EQ(systemErrorText(0x7654321), u"Unknown error 124076833"_s);
}

TEST(WindowsAdvice, AddressesGoToNetshWithAMask) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"198.18.7.5/24", u"198.18.7.5 255.255.255.0"},
      {u"198.18.7.5/20", u"198.18.7.5 255.255.240.0"},
      {u"198.18.7.5/32", u"198.18.7.5 255.255.255.255"},
      {u"ADDRESS/24", u"ADDRESS 255.255.255.0"},
      {u"198.18.7.5", u"198.18.7.5 255.255.255.255"},
      {u"198.18.7.5/33", u"198.18.7.5/33"},
  };
  for (const auto& [address, written] : cases) {
    EXPECT_EQ(AddAddressFix(QString::fromUtf16(address), u"Ethernet 2"_s),
              u"netsh interface ipv4 add address \"Ethernet 2\" "_s + QString::fromUtf16(written));
  }
}

}  // namespace
}  // namespace velmaro::platform::windows_backend
