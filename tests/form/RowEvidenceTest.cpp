// What answered for each row, recorded where the rows are made: a unit's reply to the
// query against a host that only answers echoes. The window shows none of it. (The
// neighbour table's part is RowMacTest's: its listing runs on the real clock.)
#include <gtest/gtest.h>

#include "support/ScriptedWindow.h"

namespace velmaro {
namespace {

using test::ipv4;

class RowEvidenceTest : public ::testing::Test {
 protected:
  QStringList seen(const char* ip) {
    ResultList& list = w.form.lstIPs();
    const auto row = list.findByText(QString::fromLatin1(ip));
    return row ? list.evidence(*row).keys() : QStringList{QStringLiteral("no row")};
  }
  test::ScriptedWindow w;
};

TEST_F(RowEvidenceTest, AUnitsQueryReplyAgainstAnEchoOnlyHost) {
  ASSERT_EQ(w.form.cmdScanBroadcast_Click(), ScanOutcome::Completed);
  w.socket->deliver("NV-CAM-1000\r\n00-0A-2B-01-80-01\r\nFront door\r\n50", ipv4("10.0.0.1"));
  EXPECT_EQ(seen("10.0.0.1"), QStringList{QStringLiteral("query")});

  // An update sweep over the scan's list: every host answers the echo.
  w.controls.checks[CheckBox::UpdateOnly] = 1;
  for (const char* ip : {"10.0.0.1", "10.0.0.2", "10.0.0.3"}) w.net.answer(ipv4(ip));
  ASSERT_EQ(w.form.cmdScanPing_Click(), ScanOutcome::Completed);
  const std::pair<const char*, QStringList> expected[] = {
      {"10.0.0.1", {QStringLiteral("query"), QStringLiteral("echo")}},
      {"10.0.0.2", {QStringLiteral("echo")}},
      {"10.0.0.3", {QStringLiteral("echo")}},
  };
  for (const auto& [ip, keys] : expected) EXPECT_EQ(seen(ip), keys) << ip;

  // The echo goes with the ping time of a sweep the host missed.
  w.net.silence(ipv4("10.0.0.2"));
  ASSERT_EQ(w.form.cmdScanPing_Click(), ScanOutcome::Completed);
  EXPECT_EQ(seen("10.0.0.2"), QStringList{});
  EXPECT_EQ(seen("10.0.0.1"), (QStringList{QStringLiteral("query"), QStringLiteral("echo")}));
  EXPECT_TRUE(w.log.reports.isEmpty()) << w.log.reports.join(u'\n').toStdString();
}

}  // namespace
}  // namespace velmaro
