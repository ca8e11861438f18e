// What answered for each row, recorded where the rows are made: a unit's reply to the
// query against a host that only answers echoes. The window shows none of it.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "form/MainForm.h"
#include "support/AppPaths.h"
#include "support/Events.h"
#include "support/FakeClock.h"
#include "support/FakeControls.h"
#include "support/FakeDatagramSocket.h"
#include "support/FakeEchoSocket.h"
#include "support/FakeNotice.h"
#include "support/FakePlatform.h"
#include "support/RecordingReporter.h"

namespace velmaro {
namespace {

using test::ipv4;

class RowEvidenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform.echoFactory = [this] { return net.open(); };
    platform.datagramFactory = [this] {
      auto created = std::make_unique<test::FakeDatagramSocket>();
      socket = created.get();
      return created;
    };
    const std::pair<TextBox, const char*> texts[] = {{TextBox::IP0, "10"},
                                                     {TextBox::IP1, "0"},
                                                     {TextBox::IP2, "0"},
                                                     {TextBox::IPScan, "1-3"},
                                                     {TextBox::PingTO, "1000"}};
    for (const auto& [box, text] : texts) controls.texts[box] = QString::fromLatin1(text);
    // The neighbour table's part is RowMacTest's: its listing runs on the real clock.
    controls.checks[CheckBox::ParseARP] = 0;
    controls.checks[CheckBox::ParseNVIDs] = 0;
    controls.checks[CheckBox::ParseGenIDs] = 0;
  }
  void TearDown() override { ResetWaitAbort(); }

  QStringList seen(const char* ip) {
    const auto row = form.lstIPs().findByText(QString::fromLatin1(ip));
    return row ? form.lstIPs().evidence(*row).keys() : QStringList{QStringLiteral("no row")};
  }

  QTemporaryDir dir;
  test::FakeClock clock;
  test::FakeControls controls;
  test::FakeNotice notice;
  test::RecordingReporter log;
  test::FakePlatform platform;
  test::FakeEchoNetwork net{&clock};
  test::FakeDatagramSocket* socket = nullptr;
  AppPaths paths{dir.path(), dir.path(), dir.path()};
  MainForm form{controls, notice, log, paths, clock, platform};
};

TEST_F(RowEvidenceTest, AUnitsQueryReplyAgainstAnEchoOnlyHost) {
  ASSERT_EQ(form.cmdScanBroadcast_Click(), ScanOutcome::Completed);
  socket->deliver("NV-CAM-1000\r\n00-0A-2B-01-80-01\r\nFront door\r\n50", ipv4("10.0.0.1"));
  EXPECT_EQ(seen("10.0.0.1"), QStringList{QStringLiteral("query")});

  // An update sweep over the scan's list: every host answers the echo.
  controls.checks[CheckBox::UpdateOnly] = 1;
  for (const char* ip : {"10.0.0.1", "10.0.0.2", "10.0.0.3"}) net.answer(ipv4(ip));
  ASSERT_EQ(form.cmdScanPing_Click(), ScanOutcome::Completed);
  const std::pair<const char*, QStringList> expected[] = {
      {"10.0.0.1", {QStringLiteral("query"), QStringLiteral("echo")}},
      {"10.0.0.2", {QStringLiteral("echo")}},
      {"10.0.0.3", {QStringLiteral("echo")}},
  };
  for (const auto& [ip, keys] : expected) EXPECT_EQ(seen(ip), keys) << ip;

  // The echo goes with the ping time of a sweep the host missed.
  net.silence(ipv4("10.0.0.2"));
  ASSERT_EQ(form.cmdScanPing_Click(), ScanOutcome::Completed);
  EXPECT_EQ(seen("10.0.0.2"), QStringList{});
  EXPECT_EQ(seen("10.0.0.1"), (QStringList{QStringLiteral("query"), QStringLiteral("echo")}));
  EXPECT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
}

}  // namespace
}  // namespace velmaro
