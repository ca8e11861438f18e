// The doctor in the lab's second client, where the firewall drops every reply and no route
// for 255.255.255.255 exists: the lines a technician would read there.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "form/Doctor.h"
#include "form/FormContext.h"
#include "form/ResultList.h"
#include "identify/ArpTable.h"
#include "platform/Platform.h"
#include "support/AppPaths.h"
#include "support/FakeClock.h"
#include "support/FakeControls.h"
#include "support/FakeNotice.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"
#include "support/RecordingReporter.h"

namespace velmaro {
namespace {

QString Q(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

constexpr int kListenMs = 1500;

struct SecondClient : ::testing::Test {
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(lab::RequireLab()); }

  DoctorLine lineOf(const std::vector<DoctorLine>& lines, const char* check) {
    for (const DoctorLine& line : lines) {
      if (line.check == QLatin1String(check)) return line;
    }
    ADD_FAILURE() << "no line " << check;
    return {};
  }

  test::FakeControls controls;
  test::FakeNotice notice;
  ResultList list;
  test::RecordingReporter log;
  QTemporaryDir folder;
  AppPaths paths{folder.path(), QString(), QString()};
  test::FakeClock clock;
  std::unique_ptr<platform::Platform> system = platform::createSystemPlatform();
  ArpTable arp{log, paths, *system, clock};
  QString localIP = Q(lab::kSecondClientIp);
  FormContext form{controls, notice, list, log, paths, clock, *system, arp, localIP};
};

TEST_F(SecondClient, DoctorNamesTheDroppedRepliesAndTheMissingRoute) {
  const std::vector<DoctorLine> lines = RunDoctor(form, ProbeReplies(form, kListenMs));
  const DoctorLine replies = lineOf(lines, "replies");
  EXPECT_EQ(replies.text,
            u"vlab0: the query went out and nothing came back, yet 3 hosts are in the neighbour "
            u"table there: a firewall drops the replies; allow UDP to port 2860 (sudo nft insert "
            u"rule inet filter input udp dport 2860 accept, or sudo ufw allow 2860/udp)");
  EXPECT_TRUE(replies.blocking);
  EXPECT_EQ(lineOf(lines, "broadcast-route").text,
            u"no route for 255.255.255.255 (Network is unreachable), so SCAN sends nothing: sudo ip "
            u"route add 255.255.255.255/32 dev vlab0, or velmaro-cli scan --all-interfaces");
  EXPECT_TRUE(AnyBlocking(lines));
}

}  // namespace
}  // namespace velmaro
