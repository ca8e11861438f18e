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
#include "support/Wait.h"

namespace velmaro {
namespace {



// A clock whose monotonic reading moves on by a fixed step each time it is read, so a
// deadline measured on it passes after a known number of reads, whatever the real time.
class TickingClock final : public Clock {
 public:
  TickingClock(qint64 stepMs, QTime wallTime)
      : m_step(stepMs), m_wall(QDate(2012, 3, 15), wallTime) {}
  qint64 monotonicMs() const override {
    m_last = m_now;
    m_now += m_step;
    return m_last;
  }
  QDateTime localNow() const override { return m_wall; }
  qint64 lastReading() const { return m_last; }

 private:
  qint64 m_step;
  QDateTime m_wall;
  mutable qint64 m_now = 0;
  mutable qint64 m_last = 0;
};

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

// --- TimedWait -------------------------------------------------------------------------

TEST_F(WaitTest, TimedWaitLastsAtLeastItsDuration) {
  for (const double ms : {20.0, 50.0, 120.0, 30.4}) {
    QElapsedTimer timer;
    timer.start();
    TimedWait(ms);
    const qint64 elapsed = timer.elapsed();
    EXPECT_GE(elapsed, static_cast<qint64>(ms) - 1) << ms;
    EXPECT_LT(elapsed, static_cast<qint64>(ms) + 1500) << ms;
  }
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

TEST_F(WaitTest, NestedWaitEndsTheOuterWaitRightAfterIt) {
  QElapsedTimer timer;
  timer.start();
  qint64 innerEnd = -1;
  QTimer::singleShot(30, qApp, [&] {
    TimedWait(50);
    innerEnd = timer.elapsed();
  });
  TimedWait(2000);
  const qint64 outerEnd = timer.elapsed();
  ASSERT_GE(innerEnd, 0) << "the inner wait never ran";
  EXPECT_GE(innerEnd, 75);
  EXPECT_GE(outerEnd, innerEnd);
  EXPECT_LT(outerEnd, 1000)
      << "the outer wait ran its own course instead of ending with the inner one";
}

TEST_F(WaitTest, NestedLongerWaitStretchesTheOuterWait) {
  QElapsedTimer timer;
  timer.start();
  qint64 innerEnd = -1;
  QTimer::singleShot(10, qApp, [&] {
    TimedWait(300);
    innerEnd = timer.elapsed();
  });
  TimedWait(50);
  EXPECT_GE(innerEnd, 300);
  EXPECT_GE(timer.elapsed(), 300);
}

TEST_F(WaitTest, TimedWaitEndsAtOnceWhenWaitsAreAborted) {
  QElapsedTimer timer;
  timer.start();
  QTimer::singleShot(20, qApp, [] { AbortAllWaits(); });
  TimedWait(5000);
  EXPECT_LT(timer.elapsed(), 2000);

  timer.restart();
  TimedWait(3000);  // started while closing
  EXPECT_LT(timer.elapsed(), 1000);
}

TEST_F(WaitTest, AWaitAfterANestedOneRunsItsFullDuration) {
  // The timer left fired by an earlier wait must not cut a new wait short.
  TimedWait(20);
  QElapsedTimer timer;
  timer.start();
  TimedWait(80);
  EXPECT_GE(timer.elapsed(), 79);
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

INSTANTIATE_TEST_SUITE_P(
    BothWaits, EventsDuringWait,
    ::testing::Values(WaitKind{"TimedWait", [] { TimedWait(300); }},
                      WaitKind{"ShellAndWait",
                               [] {
                                 EXPECT_TRUE(ShellAndWait(
                                     {QStringLiteral("sleep"), {QStringLiteral("0.3")}}, QString(),
                                     5));
                               }}),
    [](const ::testing::TestParamInfo<WaitKind>& info) { return std::string(info.param.name); });

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
  QTimer::singleShot(300, qApp, [] { AbortAllWaits(); });
  QElapsedTimer timer;
  timer.start();
  EXPECT_TRUE(ShellAndWait(longRunner(), out, 0));  // no time limit of its own
  EXPECT_LT(timer.elapsed(), 5000);
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
  constexpr qint64 kStep = 100;
  TickingClock clock(kStep, GetParam().wall);
  EXPECT_TRUE(ShellAndWait(longRunner(), out, 5, clock));
  const qint64 last = clock.lastReading();
  EXPECT_GT(last, GetParam().expectedMs);
  EXPECT_LE(last, GetParam().expectedMs + kStep);
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
    [](const ::testing::TestParamInfo<DeadlineCase>& info) {
      return info.param.wall.toString(QStringLiteral("HHmmsszzz")).toStdString();
    });

TEST_F(WaitTest, SlowRealFiveSecondDeadlineLeavesTheProgramRunning) {
  const QString out = path("pid.txt");
  QElapsedTimer timer;
  timer.start();
  EXPECT_TRUE(ShellAndWait(longRunner(), out, 5));
  const qint64 elapsed = timer.elapsed();
  EXPECT_GE(elapsed, 4450);
  EXPECT_LE(elapsed, 5650);
  const pid_t pid = runnerPid(out);
  EXPECT_TRUE(isRunning(pid));
  stopRunner(pid);
}

}  // namespace
}  // namespace velmaro
