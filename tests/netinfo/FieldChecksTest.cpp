// Which units the PC cannot reach, and the doctor's network lines, over hand-made facts:
// the cases the lab cannot make (tunnels, a nosuid program, a unit at 0.0.0.0...).
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "netinfo/NetworkChecks.h"
#include "netinfo/Reachability.h"
#include "platform/Advice.h"
#include "support/FakePlatform.h"

namespace velmaro {
namespace {

using platform::LinkKind;
using platform::NetworkInterface;
using test::ipv4;

NetworkInterface card(const char* name, std::vector<std::pair<const char*, int>> addresses,
                      LinkKind kind = LinkKind::Ethernet, const char* tunnelType = "") {
  NetworkInterface c;
  c.name = QString::fromLatin1(name);
  c.up = c.running = true;
  c.kind = kind;
  c.tunnelType = QString::fromLatin1(tunnelType);
  for (const auto& [address, prefix] : addresses) c.ipv4.push_back({ipv4(address), prefix});
  return c;
}

// The cases name Linux's commands; elsewhere the fixes are the system's own commands.
QString onThisSystem(QString text) {
#ifdef Q_OS_WIN
  static const QRegularExpression add(QStringLiteral(R"(sudo ip addr add (\S+) dev (\w+))"));
  for (QRegularExpressionMatch m = add.match(text); m.hasMatch(); m = add.match(text)) {
    text.replace(m.capturedStart(), m.capturedLength(),
                 platform::AddAddressFix(m.captured(1), m.captured(2)));
  }
  static const QRegularExpression echo(QStringLiteral(R"(sudo sysctl -w .* (\S+velmaro-cli))"));
  if (const QRegularExpressionMatch m = echo.match(text); m.hasMatch()) {
    text.replace(m.capturedStart(), m.capturedLength(), platform::EchoPermissionFix(m.captured(1)));
  }
#endif
  return text;
}

struct ReachCase {
  const char* sender;
  NetworkInterface arrival;
  UnitAddress kind;
  const char* fix;
};

TEST(UnitAddress, ReachableOnlyInsideASubnetOfTheArrivalCard) {
  const NetworkInterface eth0 = card("eth0", {{"192.168.10.5", 24}, {"10.1.0.5", 16}});
  const ReachCase cases[] = {
      {"192.168.10.77", eth0, UnitAddress::Reachable, ""},
      {"10.1.200.3", eth0, UnitAddress::Reachable, ""},  // the card's second subnet
      {"192.168.1.100", eth0, UnitAddress::OtherSubnet,
       "192.168.1.100 is outside eth0's 192.168.10.0/24, 10.1.0.0/16: add 192.168.1.253/24 to eth0 "
       "(sudo ip addr add 192.168.1.253/24 dev eth0) or give the unit an address in "
       "192.168.10.0/24"},
      // The suggestion never is the unit's own address.
      {"192.168.1.253", eth0, UnitAddress::OtherSubnet,
       "192.168.1.253 is outside eth0's 192.168.10.0/24, 10.1.0.0/16: add 192.168.1.252/24 to eth0 "
       "(sudo ip addr add 192.168.1.252/24 dev eth0) or give the unit an address in "
       "192.168.10.0/24"},
      {"169.254.33.4", eth0, UnitAddress::LinkLocal,
       "169.254.33.4 is a link-local address, outside eth0's 192.168.10.0/24, 10.1.0.0/16: add "
       "169.254.33.253/16 to eth0 (sudo ip addr add 169.254.33.253/16 dev eth0) or give the unit "
       "an "
       "address in 192.168.10.0/24"},
      {"0.0.0.0", eth0, UnitAddress::NoAddress,
       "the unit has no IPv4 address (0.0.0.0): give it an address in 192.168.10.0/24 (a DHCP "
       "server "
       "on eth0, or the maker's set-up tool)"},
      {"192.168.1.100", card("eth1", {}), UnitAddress::OtherSubnet,
       "eth1 has no IPv4 address: add 192.168.1.253/24 to eth1 (sudo ip addr add 192.168.1.253/24 "
       "dev eth1)"},
      // A link-local card reaches link-local units.
      {"169.254.33.4", card("eth2", {{"169.254.7.1", 16}}), UnitAddress::Reachable, ""},
  };
  for (const ReachCase& c : cases) {
    const Reachability got = ClassifyUnitAddress(ipv4(c.sender), c.arrival);
    EXPECT_EQ(got.kind, c.kind) << c.sender;
    EXPECT_EQ(got.fix, onThisSystem(QString::fromLatin1(c.fix))) << c.sender;
  }
}

TEST(QueryCards, UpWithIPv4AndNotLoopback) {
  NetworkInterface down = card("eth3", {{"192.0.2.1", 24}});
  down.up = false;
  const auto chosen = QueryCards({card("lo", {{"127.0.0.1", 8}}, LinkKind::Loopback),
                                  card("eth0", {{"192.0.2.9", 24}}), card("eth1", {}), down,
                                  card("wg0", {{"10.9.0.2", 24}}, LinkKind::Tunnel, "wireguard")});
  ASSERT_EQ(chosen.size(), 2u);
  EXPECT_EQ(chosen[0].name, u"eth0");
  EXPECT_EQ(chosen[1].name, u"wg0");
}

TEST(DoctorLines, IcmpSaysWhichSocketOrHowToGrantOne) {
  using platform::EchoSocketKind;
  struct IcmpCase {
    EchoSocketKind wouldUse;
    bool fileHasNetRaw, processHasNetRaw, rawSocketKept;
    const char16_t* text;
  };
  const IcmpCase cases[] = {
      {EchoSocketKind::Datagram, false, false, false,
       u"ok (unprivileged datagram socket: group 150 lies in ping_group_range 100 200)"},
      // Root: nothing was given up.
      {EchoSocketKind::Raw, false, true, false,
       u"ok (raw socket with cap_net_raw of this process; ping_group_range 100 200 admits none "
       u"of this user's groups)"},
      {EchoSocketKind::Raw, true, false, true,
       u"ok (raw socket opened at start with cap_net_raw from the program file, every "
       u"capability given up since; ping_group_range 100 200 admits none of this user's "
       u"groups)"},
      {EchoSocketKind::Raw, false, false, true,
       u"ok (raw socket opened at start with cap_net_raw of this process, every capability "
       u"given up since; ping_group_range 100 200 admits none of this user's groups)"},
      // Where the system sends echoes for any user, no range or capability is involved.
      {EchoSocketKind::Service, false, false, false,
       u"ok (the system's echo service, which every user may call)"},
      // The range first; the capability only where the range must stay closed.
      {EchoSocketKind::None, true, false, false,
       u"no ICMP permission (ping_group_range 100 200 admits none of this user's groups, no "
       u"cap_net_raw): sudo sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"; only where "
       u"that range must stay closed, sudo setcap cap_net_raw+ep /usr/bin/velmaro-cli (the file "
       u"has cap_net_raw but the process did not get it: a nosuid mount or a debugger drops it)"},
  };
  for (const IcmpCase& c : cases) {
    platform::IcmpPermission facts;
    facts.pingGroupRange = std::pair<quint32, quint32>{100, 200};
    facts.groups = {50, 150};
    facts.executable = QStringLiteral("/usr/bin/velmaro-cli");
    facts.wouldUse = c.wouldUse;
    facts.fileHasNetRaw = c.fileHasNetRaw;
    facts.processHasNetRaw = c.processHasNetRaw;
    facts.rawSocketKept = c.rawSocketKept;
    const DoctorLine line = CheckIcmpPermission(facts);
    EXPECT_EQ(line.text, onThisSystem(QString::fromUtf16(c.text)));
    EXPECT_EQ(line.blocking, c.wouldUse == EchoSocketKind::None) << line.text.toStdString();
  }
}

TEST(DoctorLines, PortRouteTunnelsAndAddresses) {
  EXPECT_EQ(CheckReplyPort(std::nullopt).text, u"ok (UDP port 2860 is free)");
  const DoctorLine held =
      CheckReplyPort(platform::SocketFailure{10048, QStringLiteral("Address in use")});
  EXPECT_TRUE(held.blocking);
  EXPECT_TRUE(held.text.startsWith(u"UDP port 2860 is held by another program"))
      << held.text.toStdString();

  const std::vector<NetworkInterface> cards{
      card("eth0", {{"192.0.2.9", 24}}), card("tun0", {{"10.8.0.2", 24}}, LinkKind::Tunnel, "tun"),
      card("eth1", {})};
  platform::RouteLookup viaEth0{QStringLiteral("eth0"), ipv4("192.0.2.9"), std::nullopt};
  EXPECT_EQ(CheckTunnels(viaEth0, cards).text,
            u"ok (tun0 (tun) up, but the query does not leave through it)");
  const DoctorLine viaTunnel = CheckTunnels({QStringLiteral("tun0"), 0, std::nullopt}, cards);
  EXPECT_TRUE(viaTunnel.blocking);
  EXPECT_EQ(viaTunnel.text,
            u"the query leaves through tun0 (tun), a tunnel or VPN where no unit hears it: "
            u"disconnect the VPN, or velmaro-cli scan --all-interfaces");

  const DoctorLine bare = CheckCardsWithoutIPv4(cards);
  EXPECT_EQ(bare.verdict, Verdict::Fix);
  EXPECT_FALSE(bare.blocking);  // eth0 still carries a scan
  EXPECT_TRUE(CheckCardsWithoutIPv4({card("eth1", {})}).blocking);
}

// The lab shows the dropped replies; here, silence without neighbours and no card at all.
TEST(DoctorLines, RepliesWithoutNeighboursAreNoFirewall) {
  EXPECT_EQ(CheckReplies(std::nullopt).verdict, Verdict::NotChecked);
  EXPECT_EQ(CheckReplies(std::vector<CardProbe>{{QStringLiteral("eth0"), std::nullopt, 2, 5},
                                                {QStringLiteral("eth1"), std::nullopt, 0, 0}})
                .text,
            u"ok (eth0: 2 replies; eth1: no reply and no neighbour)");
  EXPECT_TRUE(CheckReplies(std::vector<CardProbe>{}).blocking);
}

// A card's name is the user's text: "p%1q" is printed as it is, not as a placeholder.
TEST(DoctorLines, ACardsNameIsNeverAPlaceholder) {
  const QString name = QStringLiteral("p%1q");
  const std::pair<CardProbe, const char16_t*> cases[] = {
      {{name, std::nullopt, 2, 5}, u"ok (p%1q: 2 replies)"},
      {{name, platform::SocketFailure{10013, QStringLiteral("Permission denied")}, 0, 0},
       u"the query could not go out on p%1q: Permission denied (error 10013)"},
      {{name, std::nullopt, 0, 3}, u"p%1q: the query went out and nothing came back, yet 3 hosts"},
  };
  for (const auto& [probe, text] : cases) {
    const QString line = CheckReplies(std::vector<CardProbe>{probe}).text;
    EXPECT_TRUE(line.startsWith(QStringView(text))) << line.toStdString();
    EXPECT_FALSE(line.contains(QStringLiteral("%3")) || line.contains(QStringLiteral("%2")))
        << line.toStdString();
  }
}

}  // namespace
}  // namespace velmaro
