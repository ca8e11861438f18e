// velmaro-cli doctor in the lab's second client: a firewall drops every reply, there is no
// route for 255.255.255.255 and ping_group_range is the kernel's default. Run twice: as
// root (the firewall and the route) and as an ordinary user (the ICMP permission).
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTemporaryDir>

#include "cli/CliProcess.h"
#include "support/LabGuard.h"

namespace velmaro::cli {
namespace {

class CliSecondClient : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(lab::RequireLab()); }
};

TEST_F(CliSecondClient, FirewallDroppingRepliesAndNoBroadcastRoute) {
  if (::geteuid() != 0) GTEST_SKIP() << "the ordinary user's run checks the ICMP line";
  const CliRun run = RunCli({QStringLiteral("doctor"), QStringLiteral("--probe"),
                             QStringLiteral("--listen"), QStringLiteral("1500")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(
      DoctorText(run.text(), QStringLiteral("replies")),
      u"vlab0: the query went out and nothing came back, yet 3 hosts are in the neighbour "
      u"table there: if units are on this network, a firewall drops their replies; allow UDP "
      u"to port 2860 (sudo nft insert rule inet filter input udp dport 2860 accept, or sudo ufw "
      u"allow 2860/udp)");
  EXPECT_EQ(
      DoctorText(run.text(), QStringLiteral("broadcast-route")),
      u"no route for 255.255.255.255 (Network is unreachable), so SCAN sends nothing: sudo ip "
      u"route add 255.255.255.255/32 dev vlab0, or velmaro-cli scan --all-interfaces");
}

TEST_F(CliSecondClient, DefaultPingGroupRangeWithoutCapability) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may always use a raw socket";
  QTemporaryDir home;  // this user's own data folder
  ASSERT_TRUE(home.isValid());
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("HOME"), home.path());
  environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
  const CliRun run = RunCli({QStringLiteral("doctor")}, environment);
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(
      DoctorText(run.text(), QStringLiteral("icmp")),
      QStringLiteral("no ICMP permission (ping_group_range 1 0 admits none of this user's groups, "
                     "no cap_net_raw): sudo sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"; "
                     "only where that range must stay closed, sudo setcap cap_net_raw+ep %1")
          .arg(QStringLiteral(VELMARO_CLI_PATH)));
}

}  // namespace
}  // namespace velmaro::cli
