// The field diagnostics in the lab's client, which has a card on each segment: the query on
// every card, each reply tagged with its card, the units the PC cannot reach flagged with
// their fix, and the doctor's view of a healthy two-card client.
#include <gtest/gtest.h>

#include <map>

#include "form/Doctor.h"
#include "form/FormHarness.h"
#include "form/InterfaceBroadcast.h"
#include "platform/Platform.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"
#include "support/Wait.h"

namespace velmaro {
namespace {

QString Q(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

constexpr int kListenMs = 1500;  // every lab unit answers within a few milliseconds

class FieldLab : public ::testing::Test {
 protected:
  // Queries go to the limited broadcast address on every card: only ever inside the lab.
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(lab::RequireLab()); }

  std::unique_ptr<platform::Platform> system = platform::createSystemPlatform();
  test::FormHarness harness{*system, Q(lab::kClientIp)};
  FormContext& form = harness.form;
  ResultList& list = harness.list;
};

TEST_F(FieldLab, EveryCardCarriesTheQueryAndTagsItsReplies) {
  InterfaceBroadcast scan(form);
  scan.start();
  TimedWait(kListenMs);
  scan.stop();

  ASSERT_EQ(scan.cards().size(), 2u);
  for (const CardProbe& card : scan.cards()) {
    EXPECT_FALSE(card.failure.has_value()) << card.interfaceName.toStdString();
  }
  std::map<QString, ReplyOrigin> origins;
  for (int position = 1; position <= list.count(); ++position) {
    const RowId row = list.rowAt(position);
    const auto origin = scan.originOf(row);
    ASSERT_TRUE(origin.has_value());
    EXPECT_TRUE(origins.emplace(list.text(row), *origin).second) << "twice: " << list.text(row).toStdString();
  }
  // Segment A's well-formed units on vlab0, segment B's three on vlab1; u4's reply makes no row.
  EXPECT_EQ(list.count(), 7);
  for (const lab::LabUnit& unit : lab::kUnits) {
    if (!unit.wellFormed) continue;
    ASSERT_TRUE(origins.count(Q(unit.ip))) << unit.key;
    EXPECT_EQ(origins[Q(unit.ip)].interfaceName, Q(lab::kLinkName));
    EXPECT_EQ(origins[Q(unit.ip)].reach.kind, UnitAddress::Reachable);
  }
  for (const lab::LabUnit& unit : lab::kSegmentBUnits) {
    ASSERT_TRUE(origins.count(Q(unit.ip))) << unit.key;
    EXPECT_EQ(origins[Q(unit.ip)].interfaceName, Q(lab::kSecondLink));
  }
  EXPECT_EQ(origins[Q(lab::kB1.ip)].reach.kind, UnitAddress::Reachable);
  EXPECT_EQ(origins[Q(lab::kB2.ip)].reach.fix,
            u"198.18.9.27 is outside vlab1's 198.18.8.0/24: add 198.18.9.253/24 to vlab1 (sudo ip "
            u"addr add 198.18.9.253/24 dev vlab1) or give the unit an address in 198.18.8.0/24");
  EXPECT_EQ(origins[Q(lab::kB3.ip)].reach.fix,
            u"169.254.7.28 is a link-local address, outside vlab1's 198.18.8.0/24: add "
            u"169.254.7.253/16 to vlab1 (sudo ip addr add 169.254.7.253/16 dev vlab1) or give the "
            u"unit an address in 198.18.8.0/24");
  EXPECT_TRUE(harness.log.reports.isEmpty()) << harness.log.reports.join(u'\n').toStdString();
}

TEST_F(FieldLab, DoctorFindsTheTwoCardClientReady) {
  const std::vector<DoctorLine> lines = RunDoctor(form, ProbeReplies(form, kListenMs));
  EXPECT_EQ(test::LineOf(lines, "icmp").text,
            u"ok (unprivileged datagram socket: group 0 lies in ping_group_range 0 2147483647)");
  EXPECT_EQ(test::LineOf(lines, "udp-2860").text, u"ok (UDP port 2860 is free)");
  EXPECT_EQ(test::LineOf(lines, "broadcast-route").text,
            u"ok (255.255.255.255 leaves through vlab0 from 198.18.7.2; 1 other cards hear it only "
            u"with --all-interfaces)");
  EXPECT_EQ(test::LineOf(lines, "tunnels").text, u"ok (no tunnel or VPN is up)");
  EXPECT_EQ(test::LineOf(lines, "ipv4-addresses").text, u"ok (every card that is up has one)");
  EXPECT_EQ(test::LineOf(lines, "replies").text, u"ok (vlab0: 5 replies; vlab1: 3 replies)");
  EXPECT_FALSE(AnyBlocking(lines));
}

}  // namespace
}  // namespace velmaro
