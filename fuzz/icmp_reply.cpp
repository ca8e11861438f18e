// Echo replies as the network may deliver them: packets of any shape read by the packet
// reader, then matched by the engine against the requests of a run of four addresses. An
// entry succeeds exactly when a reply from its host carries its sequence number and the
// run's data; every entry ends exactly once. Input: one byte choosing a raw socket (IPv4
// header included) or a datagram socket, then packets, each preceded by two bytes of
// length and, on a datagram socket, four bytes of source address.
#include <QCoreApplication>
#include <map>
#include <vector>

#include "FuzzCheck.h"
#include "platform/linux/IcmpPacket.h"
#include "scan/ClassPingBase.h"
#include "support/FakeClock.h"
#include "support/FakePlatform.h"
#include "support/Tunables.h"

namespace {

using namespace velmaro;

constexpr quint32 kFirstHost = 0x0A000001;  // 10.0.0.1
constexpr int kHosts = 4;

// Hands the replies over once every request is out, through the event loop as a real
// socket's notifier does.
class ScriptedSocket final : public platform::EchoSocket {
 public:
  explicit ScriptedSocket(std::vector<platform::EchoReply> replies)
      : m_replies(std::move(replies)) {}
  platform::SendResult send(quint32, quint16, const QByteArray&) override {
    if (++m_sent == kHosts) {
      QMetaObject::invokeMethod(
          this, [this] { emit readyRead(); }, Qt::QueuedConnection);
    }
    return platform::SendResult::Sent;
  }
  void watchWritable(bool) override {}
  std::optional<platform::EchoReply> receive() override {
    if (m_sent < kHosts || m_next >= m_replies.size()) return std::nullopt;
    return m_replies[m_next++];
  }

 private:
  std::vector<platform::EchoReply> m_replies;
  size_t m_next = 0;
  int m_sent = 0;
};

quint32 sourceInHeader(QByteArrayView packet) {
  if (packet.size() < platform::icmp::kMinIpHeaderSize) return 0;
  quint32 address = 0;
  for (int i = 12; i < 16; ++i) address = (address << 8) | quint8(packet[i]);
  return address;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  static QCoreApplication application(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  const bool raw = input.byte() & 1;
  std::vector<platform::EchoReply> replies;
  bool answered[kHosts] = {};
  const QByteArray expected(tunables::kListEchoData);
  while (!input.atEnd() && replies.size() < 64) {
    const int length = (input.byte() << 8) | input.byte();
    const quint32 datagramSource = raw ? 0 : input.word();
    QByteArray packet;
    for (int i = 0; i < length && !input.atEnd(); ++i) packet.append(char(input.byte()));
    const auto echo = platform::icmp::parseEchoReply(packet, raw);
    if (!echo) continue;
    FUZZ_CHECK(echo->data.size() + platform::icmp::kHeaderSize <= packet.size());
    const quint32 source = raw ? sourceInHeader(packet) : datagramSource;
    replies.push_back({source, echo->sequence, echo->data});
    const quint32 index = source - kFirstHost;
    if (index < kHosts && echo->sequence == index && echo->data == expected) answered[index] = true;
  }

  test::FakeClock clock;        // the run's time-outs pass as soon as nothing else is left
  test::FakePlatform platform;  // every other facility behaves as where it is missing
  platform.echoFactory = [&replies] {
    platform::EchoOpenResult result;
    result.socket = std::make_unique<ScriptedSocket>(replies);
    return result;
  };
  ClassPingBase engine(platform, clock);
  std::map<qint32, int> ended;
  std::map<qint32, bool> succeeded;
  QObject::connect(&engine, &ClassPingBase::PingSuccess, &engine,
                   [&](const QString&, qint32, qint32 index) {
                     ++ended[index];
                     succeeded[index] = true;
                   });
  QObject::connect(&engine, &ClassPingBase::PingFail, &engine,
                   [&](const QString&, qint32, qint32 index) { ++ended[index]; });
  engine.PingHostList({QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.2"),
                       QStringLiteral("10.0.0.3"), QStringLiteral("10.0.0.4")},
                      1000, 4000);
  FUZZ_CHECK(ended.size() == size_t(kHosts));
  for (qint32 i = 0; i < kHosts; ++i) {
    FUZZ_CHECK(ended[i] == 1);
    FUZZ_CHECK(succeeded[i] == answered[i]);
  }
  return 0;
}
