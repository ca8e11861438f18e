// The doctor in the lab's second client, where the firewall drops every reply and no route
// for 255.255.255.255 exists: the lines a technician would read there.
#include <gtest/gtest.h>

#include "form/Doctor.h"
#include "form/FormHarness.h"
#include "platform/Platform.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"

namespace velmaro {
namespace {

QString Q(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

constexpr int kListenMs = 1500;

struct SecondClient : ::testing::Test {
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(lab::RequireLab()); }

  std::unique_ptr<platform::Platform> system = platform::createSystemPlatform();
  test::FormHarness harness{*system, Q(lab::kSecondClientIp)};
};

TEST_F(SecondClient, DoctorNamesTheDroppedRepliesAndTheMissingRoute) {
  const std::vector<DoctorLine> lines = RunDoctor(harness.form, ProbeReplies(harness.form, kListenMs));
  const DoctorLine replies = test::LineOf(lines, "replies");
  EXPECT_EQ(replies.text,
            u"vlab0: the query went out and nothing came back, yet 3 hosts are in the neighbour "
            u"table there: if units are on this network, a firewall drops their replies; allow UDP "
            u"to port 2860 (sudo nft insert rule inet filter input udp dport 2860 accept, or sudo ufw "
            u"allow 2860/udp)");
  EXPECT_TRUE(replies.blocking);
  EXPECT_EQ(test::LineOf(lines, "broadcast-route").text,
            u"no route for 255.255.255.255 (Network is unreachable), so SCAN sends nothing: sudo ip "
            u"route add 255.255.255.255/32 dev vlab0, or velmaro-cli scan --all-interfaces");
  EXPECT_TRUE(AnyBlocking(lines));
}

}  // namespace
}  // namespace velmaro
