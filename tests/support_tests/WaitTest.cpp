// The waits: how long they last, that the window's events are handled during them, how a
// nested wait ends the outer one, and the started program's deadline.
#include <gtest/gtest.h>
#include <signal.h>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QTemporaryDir>
#include <QTimer>
#include <QUdpSocket>

#include <cmath>
#include <functional>
#include <limits>
#include <ostream>

#include "support/Events.h"
#include "support/FakeClock.h"
#include "support/Wait.h"

namespace velmaro {
namespace {

// A program that writes its process id to standard output and then runs for 30 seconds.
CommandLine longRunner() {
  return {QStringLiteral("/bin/sh"),
          {QStringLiteral("-c"), QStringLiteral("echo $$; exec sleep 30")}};
}

// The process id the long runner wrote, once it has written it.
pid_t runnerPid(const QString& outputFile) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    QFile file(outputFile);
    if (file.open(QIODevice::ReadOnly)) {
      bool ok = false;
      const qint64 pid = file.readAll().trimmed().toLongLong(&ok);
      if (ok && pid > 0) return static_cast<pid_t>(pid);
    }
    TimedWait(10);
  }
  return 0;
}

bool isRunning(pid_t pid) { return pid > 0 && ::kill(pid, 0) == 0; }

void stopRunner(pid_t pid) {
  if (pid > 0) ::kill(pid, SIGKILL);
}

class WaitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWaitAbort();
    ASSERT_TRUE(m_dir.isValid());
  }
  void TearDown() override { ResetWaitAbort(); }
  QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

  QTemporaryDir m_dir;
};

// --- TimedWait ------------------------------------------------------------------------

// On the test's clock, which runs whenever the program has nothing else to do: a wait
// takes no real time, and the clock shows exactly how long it lasted.
class TimedWaitTest : public WaitTest {
 protected:
  qint64 elapsed() const { return m_clock.monotonicMs() - m_start; }
  void restart() { m_start = m_clock.monotonicMs(); }

  test::FakeClock m_clock;
  qint64 m_start = m_clock.monotonicMs();
};

TEST_F(TimedWaitTest, LastsItsDurationOnItsClock) {
  const std::pair<double, qint64> cases[] = {{20, 20}, {50, 50}, {2000, 2000}, {30.4, 31}};
  for (const auto& [ms, lasts] : cases) {
    restart();
    TimedWait(ms, m_clock);
    EXPECT_EQ(elapsed(), lasts) << ms;
  }
}

TEST_F(TimedWaitTest, NestedWaitEndsTheOuterWaitRightAfterIt) {
  qint64 innerEnd = -1;
  m_clock.after(30, [&] {
    TimedWait(50, m_clock);
    innerEnd = elapsed();
  });
  TimedWait(2000, m_clock);
  EXPECT_EQ(innerEnd, 80);
  EXPECT_EQ(elapsed(), 80)
      << "the outer wait ran its own course instead of ending with the inner one";
}

TEST_F(TimedWaitTest, NestedLongerWaitStretchesTheOuterWait) {
  qint64 innerEnd = -1;
  m_clock.after(10, [&] {
    TimedWait(300, m_clock);
    innerEnd = elapsed();
  });
  TimedWait(50, m_clock);
  EXPECT_EQ(innerEnd, 310);
  EXPECT_EQ(elapsed(), 310);
}

TEST_F(TimedWaitTest, EndsAtOnceWhenWaitsAreAborted) {
  m_clock.after(20, [] { AbortAllWaits(); });
  TimedWait(5000, m_clock);
  EXPECT_EQ(elapsed(), 20);
  restart();
  TimedWait(3000, m_clock);  // started while closing
  EXPECT_EQ(elapsed(), 0);
}

TEST_F(TimedWaitTest, AWaitAfterANestedOneRunsItsFullDuration) {
  // The timer left fired by an earlier wait must not cut a new wait short.
  TimedWait(20, m_clock);
  restart();
  TimedWait(80, m_clock);
  EXPECT_EQ(elapsed(), 80);
}

TEST_F(TimedWaitTest, OnlyTheClockEndsIt) {
  m_clock.setRunsWhenIdle(false);
  bool waitingAfter49 = false;
  QTimer::singleShot(0, qApp, [&] {
    m_clock.advance(49);
    QTimer::singleShot(0, qApp, [&] {
      waitingAfter49 = true;  // still inside the wait: it has not ended early
      m_clock.advance(1);
    });
  });
  TimedWait(50, m_clock);
  EXPECT_TRUE(waitingAfter49);
  EXPECT_EQ(elapsed(), 50);
}

TEST_F(WaitTest, NonPositiveDurationHandlesPendingEventsAndReturns) {
  for (const double ms : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN()}) {
    bool ran = false;
    QMetaObject::invokeMethod(
        qApp, [&ran] { ran = true; }, Qt::QueuedConnection);
    QElapsedTimer timer;
    timer.start();
    TimedWait(ms);
    EXPECT_TRUE(ran) << ms;
    EXPECT_LT(timer.elapsed(), 1000) << ms;
  }
}

// The one wait on the machine's own clock.
TEST_F(WaitTest, RealTimedWaitLastsItsDuration) {
  QElapsedTimer timer;
  timer.start();
  TimedWait(60);
  EXPECT_GE(timer.elapsed(), 59);
  EXPECT_LT(timer.elapsed(), 2000);
}

// --- Events during either wait ---------------------------------------------------------

struct WaitKind {
  const char* name;
  std::function<void()> wait;  // lasts about 300 ms
};

void PrintTo(const WaitKind& kind, std::ostream* os) { *os << kind.name; }

class EventsDuringWait : public ::testing::TestWithParam<WaitKind> {
 protected:
  void SetUp() override { ResetWaitAbort(); }
};

TEST_P(EventsDuringWait, QueuedCallAndTimerAreHandledBeforeTheWaitReturns) {
  bool queued = false;
  bool timed = false;
  QMetaObject::invokeMethod(
      qApp, [&queued] { queued = true; }, Qt::QueuedConnection);
  QTimer::singleShot(40, qApp, [&timed] { timed = true; });
  GetParam().wait();
  EXPECT_TRUE(queued);
  EXPECT_TRUE(timed);
}

TEST_P(EventsDuringWait, LoopbackDatagramIsReadDuringTheWait) {
  QUdpSocket receiver;
  ASSERT_TRUE(receiver.bind(QHostAddress(QHostAddress::LocalHost), 0));
  QByteArray received;
  QObject::connect(&receiver, &QUdpSocket::readyRead, &receiver, [&] {
    while (receiver.hasPendingDatagrams()) {
      QByteArray data(static_cast<int>(receiver.pendingDatagramSize()), '\0');
      receiver.readDatagram(data.data(), data.size());
      received += data;
    }
  });
  QUdpSocket sender;
  QTimer::singleShot(30, qApp, [&] {
    sender.writeDatagram(QByteArrayLiteral("unit reply"), QHostAddress(QHostAddress::LocalHost),
                         receiver.localPort());
  });
  GetParam().wait();
  EXPECT_EQ(received, QByteArrayLiteral("unit reply"));
}

INSTANTIATE_TEST_SUITE_P(BothWaits, EventsDuringWait,
                         ::testing::Values(WaitKind{"TimedWait", [] { TimedWait(300); }},
                                           WaitKind{"ShellAndWait",
                                                    [] {
                                                      EXPECT_TRUE(
                                                          ShellAndWait({QStringLiteral("sleep"),
                                                                        {QStringLiteral("0.3")}},
                                                                       QString(), 5));
                                                    }}),
                         [](const ::testing::TestParamInfo<WaitKind>& tested) {
                           return std::string(tested.param.name);
                         });

// --- ShellAndWait ----------------------------------------------------------------------

TEST_F(WaitTest, ShellAndWaitIsTrueForAProgramThatEndsAtOnce) {
  QElapsedTimer timer;
  timer.start();
  EXPECT_TRUE(ShellAndWait({QStringLiteral("true"), {}}, path("out.txt"), 5));
  EXPECT_LT(timer.elapsed(), 3000);
}

TEST_F(WaitTest, ShellAndWaitIsFalseWhenTheProgramCannotBeStarted) {
  const struct {
    const char* program;
    const char* output;
  } cases[] = {
      {"/nonexistent/velmaro-no-such-program", "out.txt"},
      {"velmaro-no-such-program-on-the-path", "out.txt"},
      {"", "out.txt"},
      {"true", "missing-folder/out.txt"},  // the output cannot be created
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(ShellAndWait({QString::fromLatin1(c.program), {}}, path(c.output), 5))
        << c.program << " > " << c.output;
  }
}

TEST_F(WaitTest, ShellAndWaitReplacesTheOutputFileWithTheProgramsOutput) {
  const QString out = path("arp.txt");
  {
    QFile old(out);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("a much longer listing left over from before\r\n");
  }
  ASSERT_TRUE(
      ShellAndWait({QStringLiteral("printf"),
                    {QStringLiteral("%s|%s"), QStringLiteral("a b"), QStringLiteral("$HOME;x")}},
                   out, 5));
  QFile file(out);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  // Arguments reach the program as they are: no shell splits or expands them.
  EXPECT_EQ(file.readAll(), QByteArrayLiteral("a b|$HOME;x"));
}

TEST_F(WaitTest, ShellAndWaitEndsAtOnceWhenWaitsAreAborted) {
  const QString out = path("pid.txt");
  test::FakeClock clock;
  clock.after(300, [] { AbortAllWaits(); });
  const qint64 start = clock.monotonicMs();
  EXPECT_TRUE(ShellAndWait(longRunner(), out, 0, clock));  // no time limit of its own
  EXPECT_EQ(clock.monotonicMs() - start, 300);
  ResetWaitAbort();
  const pid_t pid = runnerPid(out);
  EXPECT_TRUE(isRunning(pid));
  stopRunner(pid);
}

// The deadline counts from the start rounded to the nearest whole second of the wall
// clock, on the monotonic clock.
struct DeadlineCase {
  QTime wall;
  qint64 expectedMs;  // monotonic time from the start to the deadline
};

void PrintTo(const DeadlineCase& c, std::ostream* os) {
  *os << c.wall.toString(QStringLiteral("HH:mm:ss.zzz")).toStdString() << " -> " << c.expectedMs
      << " ms";
}

class ShellAndWaitDeadline : public ::testing::TestWithParam<DeadlineCase> {
 protected:
  void SetUp() override { ResetWaitAbort(); }
};

TEST_P(ShellAndWaitDeadline, EndsAtTheRoundedDeadlineLeavingTheProgramRunning) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString out = dir.filePath(QStringLiteral("pid.txt"));
  test::FakeClock clock;
  clock.setLocalNow(QDateTime(QDate(2012, 3, 15), GetParam().wall));
  const qint64 start = clock.monotonicMs();
  EXPECT_TRUE(ShellAndWait(longRunner(), out, 5, clock));
  // The first moment past the deadline.
  EXPECT_EQ(clock.monotonicMs() - start, GetParam().expectedMs + 1);
  const pid_t pid = runnerPid(out);
  EXPECT_TRUE(isRunning(pid)) << "the program was stopped at the deadline";
  stopRunner(pid);
}

INSTANTIATE_TEST_SUITE_P(
    WallClockRounding, ShellAndWaitDeadline,
    ::testing::Values(DeadlineCase{QTime(14, 5, 0, 400), 4600},   // rounds down
                      DeadlineCase{QTime(14, 5, 0, 600), 5400},   // rounds up
                      DeadlineCase{QTime(14, 5, 1, 500), 5500},   // half to the even second
                      DeadlineCase{QTime(23, 59, 58, 700), 5300}  // across midnight, no hang
                      ),
    [](const ::testing::TestParamInfo<DeadlineCase>& tested) {
      return tested.param.wall.toString(QStringLiteral("HHmmsszzz")).toStdString();
    });

// The one deadline on the machine's own clock: a second, give or take the half second of
// the rounded start; the upper bound only catches a wait that never ends.
TEST_F(WaitTest, RealDeadlineLeavesTheProgramRunning) {
  const QString out = path("pid.txt");
  QElapsedTimer timer;
  timer.start();
  EXPECT_TRUE(ShellAndWait(longRunner(), out, 1));
  const qint64 elapsed = timer.elapsed();
  EXPECT_GE(elapsed, 450);
  EXPECT_LE(elapsed, 5000);
  const pid_t pid = runnerPid(out);
  EXPECT_TRUE(isRunning(pid));
  stopRunner(pid);
}

}  // namespace
}  // namespace velmaro
