// The application quits while a procedure waits (the window closed, the session ends):
// every kind of wait ends promptly, also waits started afterwards, and the procedure runs
// to its end. The suite runs under the glib and under the plain Unix event dispatcher.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <ostream>

#include "form/MainForm.h"
#include "identify/HttpFetch.h"
#include "scan/ClassPingBase.h"
#include "support/AppPaths.h"
#include "support/Events.h"
#include "support/FakeControls.h"
#include "support/FakeEchoSocket.h"
#include "support/FakeNotice.h"
#include "support/FakePlatform.h"
#include "support/LoopbackUnit.h"
#include "support/RecordingReporter.h"
#include "support/Wait.h"
#include "support/Watchdog.h"

namespace velmaro {
namespace {

using namespace std::chrono_literals;
using test::ipv4;

// A program that lasts `seconds`, built beside the suites.
CommandLine pause(int seconds) {
  return {ProgramBesideThis(u"velmaro-test-pause"), {QString::number(seconds)}};
}

// What the application's window would hold: a form over fakes, hosts that never answer.
struct Rig {
  Rig() {
    platform.echoFactory = [this] { return net.open(); };
    controls.texts[TextBox::IPScan] = QStringLiteral("1-20");
    controls.texts[TextBox::IP0] = QStringLiteral("10");
    controls.texts[TextBox::IP1] = QStringLiteral("0");
    controls.texts[TextBox::IP2] = QStringLiteral("0");
    controls.texts[TextBox::PingTO] = QStringLiteral("30000");  // a minute per request
  }
  QTemporaryDir dir;
  test::FakeControls controls;
  test::FakeNotice notice;
  test::RecordingReporter log;
  test::FakeEchoNetwork net;
  test::FakePlatform platform;
  AppPaths paths{dir.path(), dir.path(), dir.path()};
  MainForm form{controls, notice, log, paths, Clock::system(), platform};
};

struct QuitCase {
  const char* name;
  int quitAfterMs;
  std::function<void(Rig&)> procedure;  // waits far longer than the test may take
  std::function<void(Rig&)> check = [](Rig&) {};
};
void PrintTo(const QuitCase& c, std::ostream* os) { *os << c.name; }

class QuitDuringWait : public ::testing::TestWithParam<QuitCase> {
 protected:
  void SetUp() override { ResetWaitAbort(); }
  void TearDown() override { ResetWaitAbort(); }
};

TEST_P(QuitDuringWait, EndsPromptlyAndTheProcedureRunsToItsEnd) {
  const QuitCase& c = GetParam();
  Rig rig;
  bool returned = false;
  qint64 quitAt = -1;
  qint64 returnedAt = -1;
  QElapsedTimer clock;
  clock.start();
  // The procedure runs from the application's own event loop, as a click does.
  QTimer::singleShot(0, qApp, [&] {
    c.procedure(rig);
    returned = true;
    returnedAt = clock.elapsed();
  });
  QTimer::singleShot(c.quitAfterMs, qApp, [&] {
    quitAt = clock.elapsed();
    QCoreApplication::quit();
  });
  {
    const test::Watchdog watchdog(20s, c.name);
    QCoreApplication::exec();
  }
  ASSERT_TRUE(returned);
  ASSERT_GE(quitAt, 0) << "the procedure ended before the application quit";
  EXPECT_LT(returnedAt - quitAt, 1000) << "the procedure went on waiting after the quit";
  c.check(rig);
}

INSTANTIATE_TEST_SUITE_P(
    Waits, QuitDuringWait,
    ::testing::Values(
        QuitCase{"TimedWait", 100, [](Rig&) { TimedWait(60000); }},
        QuitCase{"NestedTimedWait", 100,
                 [](Rig&) {
                   QTimer::singleShot(20, qApp, [] { TimedWait(50000); });
                   TimedWait(60000);
                 }},
        QuitCase{"WaitStartedAfterTheQuit", 50,
                 [](Rig&) {
                   TimedWait(60000);
                   TimedWait(60000);  // the application has quit already
                   ShellAndWait(pause(3), QString(), 60);
                 }},
        QuitCase{"ShellAndWait", 100,
                 [](Rig&) { EXPECT_TRUE(ShellAndWait(pause(3), QString(), 60)); }},
        QuitCase{"PageFetchFromASilentUnit", 200,
                 [](Rig& rig) {
                   test::LoopbackUnit unit(test::SilentPages());
                   ASSERT_TRUE(unit.ok());
                   QRandomGenerator random;
                   HttpFetch fetch(rig.log, Clock::system(), rig.platform, random);
                   EXPECT_EQ(fetch.HTTP_Download(QStringLiteral("127.0.0.1"), unit.port(),
                                                 QStringLiteral("id.htm"), {}, 60000),
                             QString());
                 }},
        QuitCase{"EngineWaitingForReplies", 100,
                 [](Rig& rig) {
                   ClassPingBase engine(rig.platform);
                   int reported = 0;
                   QObject::connect(&engine, &ClassPingBase::PingFail, &engine,
                                    [&reported] { ++reported; });
                   engine.PingHostList({QStringLiteral("10.0.0.1"), QStringLiteral("10.0.0.2")},
                                       60000, 60000);
                   EXPECT_EQ(reported, 2);  // each entry still ends exactly once
                 }},
        QuitCase{"SweepInItsPingPhase", 100, [](Rig& rig) { rig.form.cmdScanPing_Click(); },
                 [](Rig& rig) {
                   EXPECT_EQ(rig.net.sent.size(), 20u);
                   EXPECT_TRUE(rig.controls.idleFlag);
                   EXPECT_FALSE(rig.controls.panelVisible);
                 }},
        QuitCase{"SweepInItsNameStage", 400,
                 [](Rig& rig) {
                   // One host that answers, whose web server takes the request and never
                   // answers: the name stage waits for it.
                   test::LoopbackUnit unit(test::SilentPages());
                   ASSERT_TRUE(unit.ok());
                   rig.controls.texts[TextBox::IP0] = QStringLiteral("127");
                   rig.controls.texts[TextBox::IPScan] = QStringLiteral("1-1");
                   rig.controls.texts[TextBox::HTTPPort] = unit.portText();
                   rig.controls.checks[CheckBox::ParseARP] = 0;
                   rig.net.answer(ipv4("127.0.0.1"), 1);
                   rig.form.cmdScanPing_Click();
                   EXPECT_EQ(unit.requests().size(), 1);
                 },
                 [](Rig& rig) { EXPECT_TRUE(rig.controls.idleFlag); }},
        QuitCase{"SweepInItsEnrichmentWait", 300,
                 [](Rig& rig) {
                   for (int last = 1; last <= 20; ++last)
                     rig.net.answer(ipv4("10.0.0.0") + quint32(last), 1);
                   rig.form.cmdScanPing_Click();  // then waits 2 s for the neighbour table
                 },
                 [](Rig& rig) {
                   EXPECT_EQ(rig.form.lstIPs().count(), 20);
                   EXPECT_TRUE(rig.controls.idleFlag);
                 }}),
    [](const ::testing::TestParamInfo<QuitCase>& tested) {
      return std::string(tested.param.name);
    });

}  // namespace
}  // namespace velmaro
