// The sweep on real ICMP inside the lab: every live host found once, and update mode
// following a host whose cable is pulled and plugged back.
#include <gtest/gtest.h>

#include <QDir>
#include <QSet>

#include "form/FormContext.h"
#include "form/PingSweep.h"
#include "form/ResultList.h"
#include "identify/ArpTable.h"
#include "identify/Manufacturer.h"
#include "platform/Platform.h"
#include "support/AppPaths.h"
#include "support/Clock.h"
#include "support/FakeControls.h"
#include "support/FakeNotice.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"
#include "support/RecordingReporter.h"

namespace velmaro {
namespace {

QString Q(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

class SweepLabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Nothing is sent beyond loopback unless this is one of the lab's own namespaces.
    ASSERT_NO_FATAL_FAILURE(lab::RequireLab());
    const QStringList prefix = Q(lab::kSubnetPrefix).split(u'.');
    controls.texts[TextBox::IP0] = prefix.at(0);
    controls.texts[TextBox::IP1] = prefix.at(1);
    controls.texts[TextBox::IP2] = prefix.at(2);
    localIP = Q(lab::kClientIp);
  }

  std::optional<RowId> row(std::string_view ip) const { return list.findByText(Q(ip)); }
  QString cell(RowId r, const char* key) const {
    return list.cell(r, list.GetColumnIndex(QString::fromLatin1(key)));
  }

  test::FakeControls controls;
  test::FakeNotice notice;
  ResultList list;
  test::RecordingReporter log;
  AppPaths paths{QDir::tempPath(), QDir::tempPath(), QDir::tempPath()};
  std::unique_ptr<platform::Platform> system = platform::createSystemPlatform();
  ArpTable arp{log, *system, Clock::system()};
  QString localIP;
  OuiFile oui{log, paths};
  FormContext form{controls, notice, list, log, paths, Clock::system(), *system, arp, oui, localIP};
  PingSweep sweep{form};
};

TEST_F(SweepLabTest, FreshSweepOfTheSubnetListsEveryLiveHostOnce) {
  controls.checks[CheckBox::UpdateOnly] = 0;
  controls.texts[TextBox::IPScan] = QStringLiteral("1-254");
  sweep.cmdScanPing_Click();

  ASSERT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
  ASSERT_TRUE(notice.boxes.isEmpty()) << notice.boxes.join(u'\n').toStdString();
  QSet<QString> expected{Q(lab::kClientIp)};
  for (auto ip : lab::kLiveIps) expected.insert(Q(ip));
  QSet<QString> found;
  for (int i = 1; i <= list.count(); ++i) {
    const QString text = list.text(list.rowAt(i));
    EXPECT_FALSE(found.contains(text)) << "twice: " << text.toStdString();
    found.insert(text);
    EXPECT_TRUE(cell(list.rowAt(i), "ping").endsWith(u" ms")) << text.toStdString();
  }
  EXPECT_EQ(found, expected);
  const auto own = row(lab::kClientIp);
  ASSERT_TRUE(own.has_value());
  EXPECT_EQ(cell(*own, "name"), QStringLiteral("LOCALHOST"));
  EXPECT_EQ(controls.statusHistory.value(1), QStringLiteral("Pinging 254 addresses. Please wait."));
  EXPECT_TRUE(controls.idleFlag);
  EXPECT_FALSE(controls.panelVisible);
}

TEST_F(SweepLabTest, UpdateModeFlagsRemovesAndAddsBackAHostThatGoesAway) {
  controls.texts[TextBox::IPScan] = QStringLiteral("30-35");
  sweep.cmdScanPing_Click();
  auto h1 = row(lab::kH1.ip);
  ASSERT_TRUE(h1.has_value());
  EXPECT_EQ(list.icon(*h1), RowIcon::Add);
  const RowId first = *h1;

  {
    lab::UnpluggedHost unplugged(lab::kH1.key);
    ASSERT_TRUE(unplugged.ok()) << unplugged.error().toStdString();
    sweep.cmdScanPing_Click();
    ASSERT_TRUE(list.exists(first));
    EXPECT_EQ(list.icon(first), RowIcon::Remove);
    EXPECT_EQ(cell(first, "ping"), QStringLiteral("???"));
    sweep.cmdScanPing_Click();
    EXPECT_FALSE(list.exists(first));
    // The other hosts of the range stayed, their flags cleared.
    const auto h2 = row(lab::kH2.ip);
    ASSERT_TRUE(h2.has_value());
    EXPECT_EQ(list.icon(*h2), RowIcon::None);
  }

  sweep.cmdScanPing_Click();
  h1 = row(lab::kH1.ip);
  ASSERT_TRUE(h1.has_value());
  EXPECT_EQ(list.icon(*h1), RowIcon::Add);
  EXPECT_TRUE(cell(*h1, "ping").endsWith(u" ms"));
  EXPECT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
}

}  // namespace
}  // namespace velmaro
