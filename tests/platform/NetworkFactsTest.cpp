// The facts the diagnostics read from the kernel: link kinds, the route answer, the
// permission files and the neighbour table, from hand-made bytes; and this host's own
// answer for loopback, which sends nothing. The lab proves the card list itself.
#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/InterfaceWalk.h"
#include "platform/linux/LinuxBackends.h"
#include "platform/linux/ProcFacts.h"
#include "platform/linux/RouteMessage.h"
#include "support/FakePlatform.h"

namespace velmaro::platform::linux_backend {
namespace {

using test::ipv4;

struct LinkCase {
  const char* what;
  unsigned flags;
  int hardwareType;
  LinkFacts facts;
  LinkClass expected;
};

TEST(LinkKinds, FromFlagsHardwareTypeAndSysfs) {
  const auto tunnel = [](const char* t) { return LinkClass{LinkKind::Tunnel, QLatin1String(t)}; };
  const LinkCase cases[] = {
      {"loopback", IFF_UP | IFF_LOOPBACK, ARPHRD_LOOPBACK, {}, {LinkKind::Loopback, {}}},
      {"wired card", IFF_UP, ARPHRD_ETHER, {}, {LinkKind::Ethernet, {}}},
      {"wireless card",
       IFF_UP,
       ARPHRD_ETHER,
       {std::nullopt, QStringLiteral("wlan")},
       {LinkKind::Ethernet, {}}},
      {"tun of a VPN", IFF_UP | IFF_POINTOPOINT, ARPHRD_NONE, {0x1001u, {}}, tunnel("tun")},
      {"tap: Ethernet-like, still a VPN", IFF_UP, ARPHRD_ETHER, {0x1002u, {}}, tunnel("tap")},
      {"WireGuard",
       IFF_UP,
       ARPHRD_NONE,
       {std::nullopt, QStringLiteral("wireguard")},
       tunnel("wireguard")},
      {"PPP", IFF_UP | IFF_POINTOPOINT, ARPHRD_PPP, {}, tunnel("ppp")},
      {"GRE", IFF_UP, ARPHRD_IPGRE, {}, tunnel("gre")},
      {"no link layer, sysfs unread", IFF_UP, ARPHRD_NONE, {}, tunnel("tunnel")},
      {"point-to-point of unknown type",
       IFF_UP | IFF_POINTOPOINT,
       -1,
       {},
       tunnel("point-to-point")},
      {"something else", IFF_UP, ARPHRD_INFINIBAND, {}, {LinkKind::Other, {}}},
  };
  for (const LinkCase& c : cases) {
    EXPECT_EQ(classifyLink(c.flags, c.hardwareType, c.facts), c.expected) << c.what;
  }
}

// The kernel's answer to a route question, built as the kernel builds it.
QByteArray answer(quint16 type, quint32 sequence, const QByteArray& payload) {
  nlmsghdr header{};
  header.nlmsg_len = quint32(NLMSG_HDRLEN + payload.size());
  header.nlmsg_type = type;
  header.nlmsg_seq = sequence;
  QByteArray bytes(reinterpret_cast<const char*>(&header), sizeof header);
  return bytes + payload;
}

QByteArray attribute(quint16 type, const QByteArray& value) {
  rtattr a{};
  a.rta_len = quint16(RTA_LENGTH(value.size()));
  a.rta_type = type;
  QByteArray bytes(reinterpret_cast<const char*>(&a), sizeof a);
  bytes += value;
  bytes.append(QByteArray(RTA_ALIGN(a.rta_len) - a.rta_len, '\0'));
  return bytes;
}

template <class T>
QByteArray bytesOf(const T& value) {
  return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

QString cardOfIndex(int index) { return index == 7 ? QStringLiteral("vlab1") : QString(); }

TEST(RouteAnswer, NamesTheCardAndSourceOrTheFailure) {
  rtmsg route{};
  route.rtm_family = AF_INET;
  const quint32 source = htonl(ipv4("198.18.8.2"));
  const QByteArray found = answer(
      RTM_NEWROUTE, 1,
      bytesOf(route) + attribute(RTA_OIF, bytesOf(7)) + attribute(RTA_PREFSRC, bytesOf(source)));
  const RouteLookup ok = parseRouteReply(found, 1, cardOfIndex);
  EXPECT_EQ(ok.interfaceName, u"vlab1");
  EXPECT_EQ(ok.source, ipv4("198.18.8.2"));
  EXPECT_FALSE(ok.failure.has_value());

  nlmsgerr error{};
  error.error = -ENETUNREACH;
  const RouteLookup none = parseRouteReply(answer(NLMSG_ERROR, 1, bytesOf(error)), 1, cardOfIndex);
  EXPECT_TRUE(none.interfaceName.isEmpty());
  ASSERT_TRUE(none.failure.has_value());
  EXPECT_EQ(none.failure->number, 10051);

  // Not an answer to trust: cut short, another question's, an attribute running past the
  // end, a card that has gone, an acknowledgement.
  for (const QByteArray& bad :
       {found.first(found.size() - 6), answer(RTM_NEWROUTE, 2, found.sliced(NLMSG_HDRLEN)),
        answer(RTM_NEWROUTE, 1, bytesOf(route) + attribute(RTA_OIF, bytesOf(7)).first(6)),
        answer(RTM_NEWROUTE, 1, bytesOf(route) + attribute(RTA_OIF, bytesOf(3))),
        answer(NLMSG_ERROR, 1, bytesOf(nlmsgerr{})), QByteArray("\x01\x02")}) {
    const RouteLookup refused = parseRouteReply(bad, 1, cardOfIndex);
    EXPECT_TRUE(refused.interfaceName.isEmpty());
    EXPECT_TRUE(refused.failure.has_value());
  }
}

TEST(RouteAnswer, ThisHostRoutesLoopbackThroughLo) {
  const RouteLookup route = routeTo(ipv4("127.0.0.1"));
  EXPECT_EQ(route.interfaceName, u"lo");
  EXPECT_FALSE(route.failure.has_value());
}

TEST(PermissionFiles, PingGroupRangeCapEffAndFileCapabilities) {
  EXPECT_EQ(parsePingGroupRange("1\t0\n"), (std::pair<quint32, quint32>{1, 0}));
  EXPECT_EQ(parsePingGroupRange("0\t2147483647\n"), (std::pair<quint32, quint32>{0, 2147483647}));
  EXPECT_EQ(parsePingGroupRange("0"), std::nullopt);
  EXPECT_EQ(parsePingGroupRange("a b"), std::nullopt);
  EXPECT_EQ(parsePingGroupRange("-1 5"), std::nullopt);

  EXPECT_TRUE(netRawEffective("Name:\tx\nCapEff:\t0000000000002000\n"));
  EXPECT_TRUE(netRawEffective("CapEff:\t000001ffffffffff\n"));  // root
  EXPECT_FALSE(netRawEffective("CapPrm:\t0000000000002000\nCapEff:\t0000000000000000\n"));
  EXPECT_FALSE(netRawEffective("CapEff:\tzz\n"));

  // vfs_cap_data revision 2: magic with the effective flag, permitted and inheritable words.
  const auto caps = [](quint32 magic, quint32 permitted) {
    QByteArray bytes(20, '\0');
    for (int i = 0; i < 4; ++i) {
      bytes[i] = char((magic >> (8 * i)) & 0xFF);
      bytes[4 + i] = char((permitted >> (8 * i)) & 0xFF);
    }
    return bytes;
  };
  EXPECT_TRUE(fileCapabilityGrantsNetRaw(caps(0x02000001u, 1u << 13)));   // cap_net_raw+ep
  EXPECT_FALSE(fileCapabilityGrantsNetRaw(caps(0x02000000u, 1u << 13)));  // +p only: not raised
  EXPECT_FALSE(fileCapabilityGrantsNetRaw(caps(0x02000001u, 1u << 12)));  // another capability
  EXPECT_FALSE(fileCapabilityGrantsNetRaw(caps(0x09000001u, 1u << 13)));  // unknown revision
  EXPECT_FALSE(fileCapabilityGrantsNetRaw(caps(0x02000001u, 1u << 13).first(8)));
}

TEST(NeighbourTable, EntriesWithCardAndCompleteness) {
  const QByteArray text =
      "IP address       HW type     Flags       HW address            Mask     Device\n"
      "198.18.8.26      0x1         0x2         00:0a:2b:01:b0:01     *        vlab0\n"
      "198.18.8.99      0x1         0x0         00:00:00:00:00:00     *        vlab0\n"
      "169.254.7.28     0x1         0x6         00:0a:2b:01:b0:03     *        vlab1\n"
      "not-an-address   0x1         0x2         00:0a:2b:01:b0:03     *        vlab1\n"
      "198.18.8.1       0x1\n";
  EXPECT_EQ(parseProcArp(text),
            (std::vector<Neighbour>{{ipv4("198.18.8.26"), QStringLiteral("vlab0"), true},
                                    {ipv4("198.18.8.99"), QStringLiteral("vlab0"), false},
                                    {ipv4("169.254.7.28"), QStringLiteral("vlab1"), true}}));
  EXPECT_TRUE(parseProcArp("").empty());
  // The same file in the listing's layout, as the fast sweep reads the table: an entry
  // still being resolved is written so that the table's reader drops it.
  EXPECT_EQ(convertProcArp(text),
            QByteArray("  198.18.8.26           00-0a-2b-01-b0-01     dynamic\r\n"
                       "  198.18.8.99           00-00-00-00-00-00     invalid\r\n"
                       "  169.254.7.28          00-0a-2b-01-b0-03     static\r\n"));
}

}  // namespace
}  // namespace velmaro::platform::linux_backend
