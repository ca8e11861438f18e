// The echo engine on real ICMP inside the lab, with both socket kinds: live and silent
// hosts, blocks, a whole /24, and a reply that looks right but belongs to another socket.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QSet>
#include <QTimer>
#include <map>

#include "platform/linux/IcmpPacket.h"
#include "platform/linux/IcmpSocket.h"
#include "scan/ClassPingBase.h"
#include "support/FakePlatform.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"

namespace velmaro::test {
namespace {

using platform::linux_backend::IcmpSocketKind;

QString labIp(int octet) { return QStringLiteral("198.18.7.%1").arg(octet); }

struct Outcome {
  bool success;
  qint32 status;
  qint32 index;
};

class EngineLabTest : public ::testing::TestWithParam<IcmpSocketKind> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(lab::RequireLab());
    platform.echoFactory = [] { return platform::linux_backend::openIcmpSocket(GetParam()); };
    if (!platform.openEchoSocket().socket) GTEST_SKIP() << "this socket kind is not allowed";
    QObject::connect(&engine, &ClassPingBase::PingSuccess, &engine,
                     [this](const QString&, qint32 s, qint32 i) {
                       outcomes.push_back({true, s, i});
                     });
    QObject::connect(&engine, &ClassPingBase::PingFail, &engine,
                     [this](const QString&, qint32 s, qint32 i) {
                       outcomes.push_back({false, s, i});
                     });
  }

  std::map<qint32, Outcome> byIndex() const {
    std::map<qint32, Outcome> out;
    for (const auto& o : outcomes) EXPECT_TRUE(out.emplace(o.index, o).second) << o.index;
    return out;
  }

  FakePlatform platform;
  ClassPingBase engine{platform};
  std::vector<Outcome> outcomes;
};

TEST_P(EngineLabTest, OneReachableOneSilent) {
  engine.PingHostList({QString::fromLatin1(lab::kU1.ip), QString::fromLatin1(lab::kSilentIp)}, 1000,
                      5000);
  const auto result = byIndex();
  ASSERT_EQ(result.size(), 2u);
  EXPECT_TRUE(result.at(0).success);
  EXPECT_GE(result.at(0).status, 0);
  EXPECT_LT(result.at(0).status, 1000);
  EXPECT_FALSE(result.at(1).success);
  EXPECT_EQ(result.at(1).status, -1);
}

TEST_P(EngineLabTest, AllSilent) {
  engine.PingHostList({labIp(97), labIp(98), labIp(99)}, 300, 5000);
  ASSERT_EQ(outcomes.size(), 3u);
  for (const auto& o : outcomes) EXPECT_FALSE(o.success);
}

TEST_P(EngineLabTest, BlocksOfTwo) {
  engine.setNumParalellActions(2);
  engine.PingHostList({labIp(21), labIp(99), labIp(22), labIp(23), labIp(24)}, 300, 10000);
  ASSERT_EQ(outcomes.size(), 5u);
  // Block 0-1 ends with the silent host's time-out; only then are 2 and 3 sent.
  EXPECT_EQ(outcomes[0].index, 0);
  EXPECT_EQ(outcomes[1].index, 1);
  EXPECT_FALSE(outcomes[1].success);
  EXPECT_EQ(QSet<qint32>({outcomes[2].index, outcomes[3].index}), QSet<qint32>({2, 3}));
  EXPECT_EQ(outcomes[4].index, 4);
  for (size_t i : {0u, 2u, 3u, 4u}) EXPECT_TRUE(outcomes[i].success) << i;
}

// The whole lab subnet at the window's default settings: every live host once, and
// nothing silent succeeds.
TEST_P(EngineLabTest, WholeSubnetEveryLiveHostOnce) {
  QStringList list;
  for (int octet = 1; octet <= 254; ++octet) list << labIp(octet);
  engine.setNumParalellActions(1000);
  engine.PingHostList(list, 1000, 63500);

  const auto result = byIndex();
  ASSERT_EQ(result.size(), 254u);
  QSet<QString> answered;
  for (const auto& [index, o] : result)
    if (o.success) answered.insert(list[index]);
  QSet<QString> expected{QString::fromLatin1(lab::kClientIp)};  // the client answers too
  for (auto ip : lab::kLiveIps) expected.insert(QString::fromLatin1(ip.data(), ip.size()));
  EXPECT_EQ(answered, expected);
}

// Sends, from the client to itself, an echo reply that claims to come from the silent
// address with sequence 0 and our data, under an identifier of no socket of ours: what a
// reply to another program's (or an earlier sweep's) request looks like. True when sent.
bool forgeReplyFromSilentHost(quint16 identifier) {
  const int fd = ::socket(AF_INET, SOCK_RAW, IPPROTO_RAW);  // we write the IP header
  if (fd < 0) return false;
  const QByteArray request = platform::icmp::echoRequest(identifier, 0, "PINGDATAMESSAGE");
  QByteArray icmp = request;
  icmp[0] = char(platform::icmp::kEchoReply);
  icmp[2] = icmp[3] = 0;
  const quint16 sum = platform::icmp::checksum(icmp);
  icmp[2] = char(sum >> 8);
  icmp[3] = char(sum & 0xFF);
  QByteArray packet(20, '\0');
  packet[0] = char(0x45);
  packet[8] = char(64);  // TTL
  packet[9] = char(IPPROTO_ICMP);
  const quint32 from = htonl(ipv4(lab::kSilentIp.data()));
  const quint32 to = htonl(ipv4(lab::kClientIp.data()));
  memcpy(packet.data() + 12, &from, 4);
  memcpy(packet.data() + 16, &to, 4);
  packet += icmp;
  const quint16 total = htons(quint16(packet.size()));
  memcpy(packet.data() + 2, &total, 2);
  sockaddr_in dest{};
  dest.sin_family = AF_INET;
  dest.sin_addr.s_addr = to;
  const bool sent =
      ::sendto(fd, packet.constData(), size_t(packet.size()), 0,
               reinterpret_cast<const sockaddr*>(&dest), sizeof dest) == packet.size();
  ::close(fd);
  return sent;
}

TEST_P(EngineLabTest, ReplyOfAnotherSocketIsNotCounted) {
  // A raw listener proves the forged reply really arrives at the client.
  const int listener = ::socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK, IPPROTO_ICMP);
  ASSERT_GE(listener, 0);
  bool forged = false;
  QTimer::singleShot(50, &engine, [&] { forged = forgeReplyFromSilentHost(0xBEEF); });
  engine.PingHostList({QString::fromLatin1(lab::kSilentIp)}, 400, 5000);
  ASSERT_TRUE(forged);

  bool seen = false;
  char buffer[2048];
  for (int i = 0; i < 64 && !seen; ++i) {
    const ssize_t got = ::recv(listener, buffer, sizeof buffer, 0);
    if (got < 0) break;
    const auto echo = platform::icmp::parseEchoReply(QByteArrayView(buffer, got), true);
    seen = echo && echo->identifier == 0xBEEF && echo->sequence == 0;
  }
  ::close(listener);
  EXPECT_TRUE(seen) << "the forged reply never arrived; the test proves nothing";
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_FALSE(outcomes[0].success);
}

INSTANTIATE_TEST_SUITE_P(Kinds, EngineLabTest,
                         ::testing::Values(IcmpSocketKind::Datagram, IcmpSocketKind::Raw),
                         [](const auto& tested) {
                           return tested.param == IcmpSocketKind::Raw ? "Raw" : "Datagram";
                         });

}  // namespace
}  // namespace velmaro::test
