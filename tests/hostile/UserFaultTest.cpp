// Faults the user causes while a sweep runs: pressing SCAN again and again, typing into
// every box. Each case states what must still hold. (Closing the window at every stage is
// tested in form/QuitTest.cpp and ui/WindowQuitTest.cpp; a second copy of the program in
// the lab suite.)
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimer>
#include <map>

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

// The window's procedures over a scripted network whose time is the test's clock.
struct Window {
  Window() {
    platform.echoFactory = [this] { return net.open(); };
    platform.datagramFactory = [this] {
      auto created = std::make_unique<test::FakeDatagramSocket>();
      socket = created.get();
      return created;
    };
    controls.texts[TextBox::IP0] = QStringLiteral("10");
    controls.texts[TextBox::IP1] = QStringLiteral("0");
    controls.texts[TextBox::IP2] = QStringLiteral("0");
    controls.texts[TextBox::IPScan] = QStringLiteral("1-4");
    controls.texts[TextBox::PingTO] = QStringLiteral("1000");
    for (CheckBox box :
         {CheckBox::UpdateOnly, CheckBox::ParseARP, CheckBox::ParseNVIDs, CheckBox::ParseGenIDs})
      controls.checks[box] = 0;
  }
  ~Window() { ResetWaitAbort(); }
  QStringList rows() {
    QStringList out;
    for (int i = 1; i <= form.lstIPs().count(); ++i)
      out << form.lstIPs().text(form.lstIPs().rowAt(i));
    return out;
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

// SCAN pressed four times while the sweep waits for its hosts. Expected: every press
// empties the list, binds the reply port and sends the query; the sweep still ends every
// entry once and finishes; the list then holds what answered after the last press; nothing
// is reported.
TEST(UserFaults, ScanPressedAgainAndAgainDuringASweep) {
  Window w;
  w.net.answer(ipv4("10.0.0.1"), 50);
  w.net.answer(ipv4("10.0.0.2"), 250);
  w.net.answer(ipv4("10.0.0.3"), 450);
  int presses = 0;
  for (int at : {100, 200, 300, 400}) {
    w.clock.after(at, [&] {
      EXPECT_EQ(w.form.cmdScanBroadcast_Click(), ScanOutcome::Completed);
      ++presses;
    });
  }
  EXPECT_EQ(w.form.cmdScanPing_Click(), ScanOutcome::Completed);
  EXPECT_EQ(presses, 4);
  ASSERT_NE(w.socket, nullptr);
  EXPECT_EQ(w.socket->sent.size(), 4u);
  EXPECT_EQ(w.rows(), QStringList{QStringLiteral("10.0.0.3")});
  EXPECT_TRUE(w.controls.idleFlag);
  EXPECT_TRUE(w.log.reports.isEmpty()) << w.log.reports.join(u'\n').toStdString();
}

// Every box typed into while the sweep waits, with text no box should hold. Expected: the
// sweep pings the addresses it built and ends; the boxes keep what was typed; nothing is
// reported.
TEST(UserFaults, TypingIntoEveryBoxDuringThePingPhase) {
  Window w;
  w.net.answer(ipv4("10.0.0.2"), 300);
  const std::map<TextBox, QString> typed{
      {TextBox::IP0, QStringLiteral("x")},         {TextBox::IP1, QStringLiteral("999")},
      {TextBox::IP2, QStringLiteral("&H")},        {TextBox::IPScan, QStringLiteral("9-1")},
      {TextBox::HTTPPort, QStringLiteral("1e99")}, {TextBox::PingTO, QStringLiteral("-")}};
  w.clock.after(100, [&] {
    for (const auto& [box, text] : typed) w.controls.setText(box, text);
  });
  EXPECT_EQ(w.form.cmdScanPing_Click(), ScanOutcome::Completed);
  std::vector<quint32> expected{ipv4("10.0.0.1"), ipv4("10.0.0.2"), ipv4("10.0.0.3"),
                                ipv4("10.0.0.4")};
  EXPECT_EQ(w.net.sent, expected);
  EXPECT_EQ(w.rows(), QStringList{QStringLiteral("10.0.0.2")});
  for (const auto& [box, text] : typed) EXPECT_EQ(w.controls.texts[box], text);
  EXPECT_TRUE(w.controls.idleFlag);
  EXPECT_TRUE(w.log.reports.isEmpty()) << w.log.reports.join(u'\n').toStdString();
}

// The prefix typed into while the address list is still being built: the boxes are read
// afresh for every address. Expected: the addresses after the change carry the new prefix.
TEST(UserFaults, TypingIntoThePrefixWhileTheListIsBuilt) {
  Window w;
  QTimer::singleShot(0, [&] { w.controls.setText(TextBox::IP2, QStringLiteral("9")); });
  EXPECT_EQ(w.form.cmdScanPing_Click(), ScanOutcome::Completed);
  ASSERT_EQ(w.net.sent.size(), 4u);
  EXPECT_EQ(w.net.sent.front(), ipv4("10.0.0.1"));
  EXPECT_EQ(w.net.sent.back(), ipv4("10.0.9.4"));
}

}  // namespace
}  // namespace velmaro
