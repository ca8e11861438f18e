#include "support/Wait.h"

#include <QCoreApplication>
#include <QProcess>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "support/Events.h"
#include "support/Numbers.h"
#include "support/Tunables.h"

namespace velmaro {
namespace {

// The one timer every wait of this process shares. Each wait arms it afresh with its own
// due time, which replaces the one before; when it fires, every wait in progress ends, so
// a wait nested in another ends the outer one too. It belongs to this process alone, so
// other running copies of the program never end or stretch each other's waits.
struct SharedWaitTimer {
  quint64 armedBy = 0;             // the wait that armed it last; only its alarm counts
  std::vector<WaitLoop*> waiting;  // every TimedWait in progress
};

SharedWaitTimer& sharedWait() {
  static SharedWaitTimer state;
  return state;
}

std::chrono::milliseconds dueTime(double milliseconds) {
  constexpr double kLongest = std::numeric_limits<int>::max();
  return std::chrono::milliseconds(static_cast<int>(std::min(std::ceil(milliseconds), kLongest)));
}

// Monotonic time at which a wait of `timeoutSeconds` ends: the start is taken as the wall
// clock's nearest whole second, so the wait is the time-out give or take half a second.
qint64 deadlineMs(const Clock& clock, int timeoutSeconds) {
  const qint64 now = clock.monotonicMs();
  const double wall = clock.localNow().time().msecsSinceStartOfDay() / 1000.0;
  const double roundedStart = RoundHalfEven(wall);
  return now + std::llround((roundedStart - wall) * 1000.0) +
         static_cast<qint64>(timeoutSeconds) * 1000;
}

// A wait never stops the program it started. Its QProcess would kill it when destroyed,
// so the application keeps the object until the program ends by itself.
void leaveRunning(std::unique_ptr<QProcess> process) {
  QProcess* running = process.release();
  running->setParent(QCoreApplication::instance());
  QObject::connect(running, &QProcess::finished, running, &QObject::deleteLater);
}

}  // namespace

void TimedWait(double milliseconds, const Clock& clock) {
  if (WaitsAborted()) return;
  if (!(milliseconds > 0)) {
    DoEvents();
    return;
  }
  if (!QCoreApplication::instance()) {
    // No event loop to keep alive: a plain sleep is all a wait can be.
    std::this_thread::sleep_for(dueTime(milliseconds));
    return;
  }
  SharedWaitTimer& shared = sharedWait();
  const quint64 me = ++shared.armedBy;
  const std::unique_ptr<ClockAlarm> alarm = clock.createAlarm([me] {
    SharedWaitTimer& state = sharedWait();
    if (state.armedBy != me) return;  // re-armed by a later wait meanwhile
    for (WaitLoop* wait : state.waiting) wait->end();
  });
  alarm->arm(clock.monotonicMs() + dueTime(milliseconds).count());
  // Sleeps in the event loop until the shared timer fires, whichever wait armed it last.
  WaitLoop loop;
  shared.waiting.push_back(&loop);
  loop.run();
  shared.waiting.erase(std::remove(shared.waiting.begin(), shared.waiting.end(), &loop),
                       shared.waiting.end());
}

namespace {

// Starts `process` and handles events until it ends, `timeoutSeconds` have passed (0 or
// less: no limit) or the waits are aborted; false when it cannot be started. The process
// object is the caller's until it returns; one still running is then handed to
// leaveRunning by the caller.
bool startAndWait(QProcess& process, int timeoutSeconds, const Clock& clock) {
  std::optional<qint64> deadline;
  if (timeoutSeconds > 0) deadline = deadlineMs(clock, timeoutSeconds);
  process.setStandardInputFile(QProcess::nullDevice());
  // The command's complaints would only clutter the console the window was started from.
  process.setStandardErrorFile(QProcess::nullDevice());
  process.start();
  if (!process.waitForStarted(tunables::kShellStartLimitMs)) return false;

  // The end of the program ends the wait, and so does an alarm just past the deadline; the
  // processor sleeps in between.
  WaitLoop loop;
  const QMetaObject::Connection ended =
      QObject::connect(&process, &QProcess::finished, &process, [&loop] { loop.end(); });
  const std::unique_ptr<ClockAlarm> alarm = clock.createAlarm([&loop] { loop.end(); });
  if (deadline) alarm->arm(*deadline + 1);
  if (process.state() != QProcess::NotRunning) loop.run();
  alarm->cancel();
  QObject::disconnect(ended);
  return true;
}

std::unique_ptr<QProcess> prepared(const CommandLine& command) {
  auto process = std::make_unique<QProcess>();
  process->setProgram(command.program);
  process->setArguments(command.arguments);
  return process;
}

}  // namespace

bool ShellAndWait(const CommandLine& command, const QString& outputFile, int timeoutSeconds,
                  const Clock& clock) {
  if (!QCoreApplication::instance() || command.program.isEmpty()) return false;
  std::unique_ptr<QProcess> process = prepared(command);
  process->setStandardOutputFile(outputFile.isEmpty() ? QProcess::nullDevice() : outputFile,
                                 QIODevice::Truncate);
  const bool started = startAndWait(*process, timeoutSeconds, clock);
  // Started after all, only too slowly, or past its deadline: left running.
  if (process->state() != QProcess::NotRunning) leaveRunning(std::move(process));
  return started;
}

std::optional<QByteArray> ShellAndCapture(const CommandLine& command, int timeoutSeconds,
                                          qint64 maxBytes, const Clock& clock) {
  if (!QCoreApplication::instance() || command.program.isEmpty()) return std::nullopt;
  std::unique_ptr<QProcess> process = prepared(command);
  process->setReadChannel(QProcess::StandardOutput);
  QByteArray output;
  // Taken as it arrives, so a program that writes more than the pipe holds is never
  // blocked; past the limit the channel is closed and Qt drops what still comes.
  const auto take = [&output, &process, maxBytes] {
    output += process->read(std::max<qint64>(0, maxBytes - output.size()));
    if (output.size() >= maxBytes) process->closeReadChannel(QProcess::StandardOutput);
  };
  const QMetaObject::Connection arrived =
      QObject::connect(process.get(), &QProcess::readyReadStandardOutput, process.get(), take);
  const bool started = startAndWait(*process, timeoutSeconds, clock);
  take();
  QObject::disconnect(arrived);
  if (process->state() != QProcess::NotRunning) {
    process->closeReadChannel(QProcess::StandardOutput);
    leaveRunning(std::move(process));
  }
  if (!started) return std::nullopt;
  return output;
}

}  // namespace velmaro
