// The ICMP permission line for an ordinary user in a namespace with the default
// ping_group_range ("1 0") and a program file without cap_net_raw.
#include <gtest/gtest.h>
#include <unistd.h>

#include "netinfo/NetworkChecks.h"
#include "platform/Platform.h"
#include "support/LabGuard.h"

namespace velmaro {
namespace {

TEST(Unprivileged, IcmpLineNamesBothWaysToGrantIt) {
  ASSERT_NO_FATAL_FAILURE(lab::RequireLab());
  if (::geteuid() == 0) GTEST_SKIP() << "runs as root: root may always use a raw socket";
  const auto system = platform::createSystemPlatform();
  const platform::IcmpPermission facts = system->icmpPermission();
  const DoctorLine line = CheckIcmpPermission(facts);
  EXPECT_EQ(line.text,
            QStringLiteral("no ICMP permission (ping_group_range 1 0 admits none of this user's "
                           "groups, no cap_net_raw): sudo sysctl -w net.ipv4.ping_group_range=\"0 "
                           "2147483647\", or sudo setcap cap_net_raw+ep %1")
                .arg(facts.executable));
  EXPECT_TRUE(line.blocking);
  EXPECT_FALSE(facts.executable.isEmpty());
}

}  // namespace
}  // namespace velmaro
