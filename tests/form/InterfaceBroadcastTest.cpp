// The query on every card with scripted sockets: which cards carry it, what a card that
// cannot bind does, how replies become rows tagged with their card; and the doctor's lines
// over a scripted platform.
#include <gtest/gtest.h>

#include <map>

#include "form/Doctor.h"
#include "form/InterfaceBroadcast.h"
#include "support/FakeDatagramSocket.h"
#include "support/FakePlatform.h"
#include "support/FormHarness.h"

namespace velmaro {
namespace {

using platform::LinkKind;
using test::FakeDatagramSocket;
using test::ipv4;

platform::NetworkInterface card(const char* name, const char* address,
                                LinkKind kind = LinkKind::Ethernet) {
  platform::NetworkInterface c;
  c.name = QString::fromLatin1(name);
  c.up = c.running = true;
  c.kind = kind;
  if (address) c.ipv4.push_back({ipv4(address), 24});
  return c;
}

const QByteArray kReply("NV-CAM-1000\0\0\0\0\0\r\n00-0A-2B-01-80-01\r\nFront door\r\n50", 50);

class AllCards : public ::testing::Test {
 protected:
  AllCards() {
    platform.cards =
        std::vector{card("lo", "127.0.0.1", LinkKind::Loopback), card("eth0", "192.0.2.9"),
                    card("eth1", "198.51.100.9"), card("eth2", nullptr)};
    platform.interfaceSocketFactory = [this](const QString& name) {
      auto socket = std::make_unique<FakeDatagramSocket>();
      socket->arrivalInterface = name;
      if (name == failingCard)
        socket->bindFailure = platform::SocketFailure{10048, QStringLiteral("Address in use")};
      sockets[name] = socket.get();
      return socket;
    };
  }

  test::FakePlatform platform;
  std::map<QString, FakeDatagramSocket*> sockets;
  QString failingCard;
  test::FormHarness harness{platform};
  FormContext& form = harness.form;
  ResultList& list = harness.list;
  QStringList& logged = harness.log.reports;
};

TEST_F(AllCards, TheQueryLeavesOnEachCardAndRepliesBecomeRowsTaggedWithCardAndReach) {
  InterfaceBroadcast scan(form);
  scan.start();
  ASSERT_EQ(sockets.size(), 2u);  // neither loopback nor the card without an address
  for (const auto& [name, socket] : sockets) {
    EXPECT_EQ(socket->boundPort, 2860) << name.toStdString();
    ASSERT_EQ(socket->sent.size(), 1u) << name.toStdString();
    EXPECT_EQ(socket->sent[0].data, QByteArray("getdeviceinfo"));
    EXPECT_EQ(socket->sent[0].address, 0xFFFFFFFFu);
    EXPECT_EQ(socket->sent[0].port, 69);
  }
  sockets.at(QStringLiteral("eth0"))->deliver(kReply, ipv4("192.0.2.50"));
  sockets.at(QStringLiteral("eth1"))->deliver(kReply, ipv4("192.168.1.100"));
  sockets.at(QStringLiteral("eth1"))->deliver("too short", ipv4("198.51.100.7"));
  ASSERT_EQ(list.count(), 2);
  const auto first = scan.originOf(list.rowAt(1));
  const auto second = scan.originOf(list.rowAt(2));
  ASSERT_TRUE(first && second);
  EXPECT_EQ(list.text(list.rowAt(1)), u"192.0.2.50");
  EXPECT_EQ(first->interfaceName, u"eth0");
  EXPECT_EQ(first->reach.kind, UnitAddress::Reachable);
  EXPECT_EQ(second->interfaceName, u"eth1");
  EXPECT_EQ(second->reach.kind, UnitAddress::OtherSubnet);
  EXPECT_EQ(list.cell(list.rowAt(2), list.GetColumnIndex(u"mfg")),
            u"Norvikta, Inc");  // the same row as SCAN's
  // Every datagram counts as an answer; the short one made no row.
  EXPECT_EQ(scan.cards()[1].replies, 2);

  // A new scan starts a new list and forgets the old rows' cards.
  const RowId old = list.rowAt(1);
  scan.start();
  EXPECT_EQ(list.count(), 0);
  EXPECT_FALSE(scan.originOf(old).has_value());
}

TEST_F(AllCards, ACardWhosePortIsHeldSendsNothingAndIsReported) {
  failingCard = QStringLiteral("eth1");
  InterfaceBroadcast scan(form);
  scan.start();
  EXPECT_TRUE(sockets.at(QStringLiteral("eth1"))->sent.empty());
  EXPECT_EQ(sockets.at(QStringLiteral("eth0"))->sent.size(), 1u);
  ASSERT_EQ(scan.cards().size(), 2u);
  ASSERT_TRUE(scan.cards()[1].failure.has_value());
  EXPECT_EQ(scan.cards()[1].failure->number, 10048);
  EXPECT_EQ(logged, QStringList{QStringLiteral("Error 10048 (Address in use (eth1)) in procedure "
                                               "ScanAllInterfaces of Form frmMain on line 100")});
}

TEST_F(AllCards, DoctorLinesInOrderAndWhetherAnyBlocks) {
  platform.broadcastRoute = {QStringLiteral("eth0"), ipv4("192.0.2.9"), std::nullopt};
  platform.icmp.wouldUse = platform::EchoSocketKind::Datagram;
  platform.datagramFactory = [] { return std::make_unique<FakeDatagramSocket>(); };
  std::vector<DoctorLine> lines = RunDoctor(form, std::nullopt);
  QStringList checks;
  for (const DoctorLine& line : lines) checks.append(line.check);
  EXPECT_EQ(checks.join(u' '),
            u"icmp udp-2860 broadcast-route tunnels ipv4-addresses replies vendor-file log-folder");
  // eth2 has no address and there is no vendor file: fixes, but a scan still works.
  EXPECT_FALSE(AnyBlocking(lines));

  platform.broadcastRoute = {
      {}, 0, platform::SocketFailure{10051, QStringLiteral("Network is unreachable")}};
  EXPECT_TRUE(AnyBlocking(RunDoctor(form, std::nullopt)));
}

}  // namespace
}  // namespace velmaro
