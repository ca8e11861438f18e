#include "support/Wait.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProcess>
#include <QTime>
#include <QTimer>
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

// The one timer every wait of this process shares, and whether it has fired since it was
// last armed. Sharing it is what lets a wait nested in another end the outer one too; it
// belongs to this process alone, so other running copies of the program never end or
// stretch each other's waits.
struct SharedWaitTimer {
  QPointer<QTimer> timer;
  bool fired = true;
  std::vector<WaitLoop*> waiting;  // every TimedWait in progress: one firing ends them all
};

SharedWaitTimer& sharedWait() {
  static SharedWaitTimer state;
  return state;
}

// Arms the shared timer with a new due time, creating it on first use. The application
// owns it, so it goes away with the event loop it needs.
void armSharedTimer(std::chrono::milliseconds due) {
  SharedWaitTimer& state = sharedWait();
  if (!state.timer) {
    state.timer = new QTimer(QCoreApplication::instance());
    state.timer->setSingleShot(true);
    state.timer->setTimerType(Qt::PreciseTimer);
    QObject::connect(state.timer, &QTimer::timeout, state.timer, [] {
      SharedWaitTimer& shared = sharedWait();
      shared.fired = true;
      for (WaitLoop* wait : shared.waiting) wait->end();
    });
  }
  state.fired = false;
  state.timer->start(due);
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

void TimedWait(double milliseconds) {
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
  armSharedTimer(dueTime(milliseconds));
  // Sleeps in the event loop until the shared timer fires, whichever wait armed it last.
  WaitLoop loop;
  std::vector<WaitLoop*>& waiting = sharedWait().waiting;
  waiting.push_back(&loop);
  loop.run();
  waiting.erase(std::remove(waiting.begin(), waiting.end(), &loop), waiting.end());
}

bool ShellAndWait(const CommandLine& command, const QString& outputFile,
                  int timeoutSeconds, const Clock& clock) {
  if (!QCoreApplication::instance() || command.program.isEmpty()) return false;

  std::optional<qint64> deadline;
  if (timeoutSeconds > 0) deadline = deadlineMs(clock, timeoutSeconds);

  auto process = std::make_unique<QProcess>();
  process->setProgram(command.program);
  process->setArguments(command.arguments);
  process->setStandardInputFile(QProcess::nullDevice());
  process->setStandardOutputFile(outputFile.isEmpty() ? QProcess::nullDevice() : outputFile,
                                 QIODevice::Truncate);
  // The command's complaints would only clutter the console the window was started from.
  process->setStandardErrorFile(QProcess::nullDevice());
  process->start();
  if (!process->waitForStarted(tunables::kShellStartLimitMs)) {
    // Started after all, only too slowly: left running like one past its deadline.
    if (process->state() != QProcess::NotRunning) leaveRunning(std::move(process));
    return false;
  }

  // The end of the program ends the wait by itself; the poll timer wakes it to look at the
  // clock, without keeping the processor busy in between.
  WaitLoop loop;
  QObject::connect(process.get(), &QProcess::finished, process.get(), [&loop] { loop.end(); });
  QTimer poll;
  poll.setInterval(tunables::kShellPollMs);
  QObject::connect(&poll, &QTimer::timeout, &poll, [&] {
    if (deadline && clock.monotonicMs() > *deadline) loop.end();
  });
  poll.start();
  if (process->state() != QProcess::NotRunning) loop.run();
  poll.stop();
  QObject::disconnect(process.get(), &QProcess::finished, process.get(), nullptr);

  if (process->state() != QProcess::NotRunning) leaveRunning(std::move(process));
  return true;
}

}  // namespace velmaro
