// Echo messages as bytes: checksums, requests, and the replies raw and datagram sockets
// hand over, well-formed or not.
#include <gtest/gtest.h>

#include "platform/linux/IcmpPacket.h"

namespace velmaro::platform::icmp {
namespace {

QByteArray bytes(std::initializer_list<int> values) {
  QByteArray out;
  for (int v : values) out.append(char(v));
  return out;
}

// An IPv4 header of `words` 32-bit words in front of `message`.
QByteArray withIp(const QByteArray& message, int words = 5) {
  QByteArray header(words * 4, '\0');
  header[0] = char(0x40 | words);
  header[9] = 1;  // ICMP
  return header + message;
}

// The reply a host makes of a request: type 0, checksum adjusted.
QByteArray replyOf(QByteArray request) {
  request[0] = char(kEchoReply);
  request[2] = request[3] = 0;
  const quint16 sum = checksum(request);
  request[2] = char(sum >> 8);
  request[3] = char(sum & 0xFF);
  return request;
}

struct SumCase {
  QByteArray data;
  quint16 expected;
};

class ChecksumTest : public ::testing::TestWithParam<SumCase> {};

TEST_P(ChecksumTest, MatchesTheInternetChecksum) {
  EXPECT_EQ(checksum(GetParam().data), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Known, ChecksumTest,
    ::testing::Values(SumCase{QByteArray(), 0xFFFF}, SumCase{bytes({0x00, 0x01}), 0xFFFE},
                      // RFC 1071's example words 0001 f203 f4f5 f6f7 sum to ddf2
                      SumCase{bytes({0x00, 0x01, 0xf2, 0x03, 0xf4, 0xf5, 0xf6, 0xf7}), 0x220d},
                      // an odd byte counts as the high half of a word
                      SumCase{bytes({0x12}), quint16(~0x1200)},
                      // carries fold back in
                      SumCase{bytes({0xff, 0xff, 0x00, 0x01}), 0xFFFE}));

TEST(EchoRequest, LayoutAndChecksum) {
  const QByteArray packet = echoRequest(0x1234, 0x00FE, "PINGDATAMESSAGE");
  ASSERT_EQ(packet.size(), 8 + 15);
  EXPECT_EQ(quint8(packet[0]), kEchoRequest);
  EXPECT_EQ(quint8(packet[1]), 0);
  EXPECT_EQ(quint8(packet[4]), 0x12);
  EXPECT_EQ(quint8(packet[5]), 0x34);
  EXPECT_EQ(quint8(packet[6]), 0x00);
  EXPECT_EQ(quint8(packet[7]), 0xFE);
  EXPECT_EQ(packet.mid(8), QByteArray("PINGDATAMESSAGE"));
  EXPECT_EQ(checksum(packet), 0);  // a correct checksum field makes the sum vanish
}

TEST(EchoReply, DatagramSocketGivesTheMessageAlone) {
  const auto echo = parseEchoReply(replyOf(echoRequest(7, 513, "TESTMESSAGE")), false);
  ASSERT_TRUE(echo);
  EXPECT_EQ(echo->identifier, 7);
  EXPECT_EQ(echo->sequence, 513);
  EXPECT_EQ(echo->data, QByteArray("TESTMESSAGE"));
}

TEST(EchoReply, RawSocketSkipsTheIpHeaderOfAnyLength) {
  const QByteArray reply = replyOf(echoRequest(9, 3, "PINGDATAMESSAGE"));
  for (int words : {5, 6, 15}) {
    const auto echo = parseEchoReply(withIp(reply, words), true);
    ASSERT_TRUE(echo) << words;
    EXPECT_EQ(echo->sequence, 3);
    EXPECT_EQ(echo->data, QByteArray("PINGDATAMESSAGE"));
  }
  // The same bytes read with the wrong offset are not a reply.
  EXPECT_FALSE(parseEchoReply(withIp(reply), false));
}

TEST(EchoReply, EmptyDataIsAReply) {
  const auto echo = parseEchoReply(replyOf(echoRequest(1, 2, "")), false);
  ASSERT_TRUE(echo);
  EXPECT_TRUE(echo->data.isEmpty());
}

struct BadCase {
  const char* what;
  QByteArray packet;
  bool withIpHeader;
};

class BadPacketTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadPacketTest, IsNoReply) {
  EXPECT_FALSE(parseEchoReply(GetParam().packet, GetParam().withIpHeader)) << GetParam().what;
}

const QByteArray kReply = replyOf(echoRequest(5, 6, "PINGDATAMESSAGE"));

QByteArray corrupted(QByteArray packet, int at) {
  packet[at] = char(packet[at] ^ 0x40);
  return packet;
}

QByteArray withType(int type, int code = 0) {
  QByteArray packet = kReply;
  packet[0] = char(type);
  packet[1] = char(code);
  return packet;
}

INSTANTIATE_TEST_SUITE_P(
    Packets, BadPacketTest,
    ::testing::Values(BadCase{"empty", QByteArray(), false},
                      BadCase{"empty raw", QByteArray(), true},
                      BadCase{"header cut", kReply.left(7), false},
                      BadCase{"ip header cut", withIp(kReply).left(19), true},
                      BadCase{"ip header but no icmp header", withIp(kReply).left(27), true},
                      BadCase{"ip header longer than packet", withIp(kReply.left(8), 15).left(40),
                              true},
                      BadCase{"ip header length below 20",
                              [] {
                                QByteArray p = withIp(kReply);
                                p[0] = char(0x44);
                                return p;
                              }(),
                              true},
                      BadCase{"not ipv4",
                              [] {
                                QByteArray p = withIp(kReply);
                                p[0] = char(0x65);
                                return p;
                              }(),
                              true},
                      // our own request, seen again on a raw socket through loopback
                      BadCase{"echo request", withIp(echoRequest(5, 6, "PINGDATAMESSAGE")), true},
                      BadCase{"unreachable", withType(3, 1), false},
                      BadCase{"reply with a code", withType(0, 1), false},
                      BadCase{"bad checksum raw", withIp(corrupted(kReply, 10)), true}));

}  // namespace
}  // namespace velmaro::platform::icmp
