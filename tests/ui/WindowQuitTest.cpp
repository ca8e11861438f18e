// The user closes the window while a sweep runs: the application quits, the sweep ends at
// once and the program exits, under the glib and the plain Unix event dispatcher alike.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "support/AppPaths.h"
#include "support/Events.h"
#include "support/FakeEchoSocket.h"
#include "support/FakePlatform.h"
#include "support/RecordingReporter.h"
#include "support/Watchdog.h"
#include "ui/frmMain.h"

namespace velmaro::test {
namespace {

using namespace std::chrono_literals;

struct CloseCase {
  const char* name;
  const char* timeout;  // the time-out box: how long each silent host is waited for
  int closeAfterMs;
};
void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class WindowQuit : public ::testing::TestWithParam<CloseCase> {
 protected:
  void SetUp() override { ResetWaitAbort(); }
  void TearDown() override { ResetWaitAbort(); }
};

TEST_P(WindowQuit, ClosingDuringASweepEndsTheProgram) {
  QTemporaryDir dir;
  FakeEchoNetwork net;  // no host ever answers
  RecordingReporter log;
  WindowServices services;
  auto platform = std::make_unique<FakePlatform>();
  platform->echoFactory = [&net] { return net.open(); };
  services.platform = std::move(platform);
  services.paths = AppPaths(dir.path(), dir.path(), dir.path());
  services.log = &log;
  services.openUrl = [](const QUrl&) { return true; };
  frmMain window(std::move(services));
  window.Form_Load();
  window.setText(TextBox::IP0, QStringLiteral("10"));
  window.setText(TextBox::IP1, QStringLiteral("0"));
  window.setText(TextBox::IP2, QStringLiteral("0"));
  window.setText(TextBox::IPScan, QStringLiteral("1-50"));
  window.setText(TextBox::PingTO, QString::fromLatin1(GetParam().timeout));
  window.show();

  auto* ping = window.findChild<QPushButton*>(QStringLiteral("cmdScanPing"));
  ASSERT_NE(ping, nullptr);
  bool sweepEnded = false;
  QTimer::singleShot(0, &window, [&] {
    ping->click();
    sweepEnded = true;
  });
  QElapsedTimer clock;
  clock.start();
  qint64 closedAt = -1;
  QTimer::singleShot(GetParam().closeAfterMs, &window, [&] {
    closedAt = clock.elapsed();
    window.close();  // the last window: the application quits
  });
  {
    const Watchdog watchdog(20s, GetParam().name);
    QApplication::exec();
  }
  EXPECT_TRUE(sweepEnded);
  ASSERT_GE(closedAt, 0);
  EXPECT_LT(clock.elapsed() - closedAt, 1000);
  EXPECT_EQ(net.openNow(), 0) << "the echo socket outlived the sweep";
}

INSTANTIATE_TEST_SUITE_P(Phases, WindowQuit,
                         ::testing::Values(CloseCase{"PingPhase", "30000", 150},
                                           CloseCase{"EnrichmentWait", "100", 600}),
                         [](const ::testing::TestParamInfo<CloseCase>& tested) {
                           return std::string(tested.param.name);
                         });

}  // namespace
}  // namespace velmaro::test
