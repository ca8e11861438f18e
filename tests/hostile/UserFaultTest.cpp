// Faults the user causes while a sweep runs: pressing SCAN again and again, typing into
// every box. Each case states what must still hold. (Closing the window at every stage is
// tested in form/QuitTest.cpp and ui/WindowQuitTest.cpp; a second copy of the program in
// the lab suite.)
#include <gtest/gtest.h>

#include <QTimer>
#include <map>

#include "support/ScriptedWindow.h"

namespace velmaro {
namespace {

using test::ipv4;

using Window = test::ScriptedWindow;

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
