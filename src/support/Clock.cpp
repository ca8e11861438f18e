#include "support/Clock.h"

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <limits>

namespace velmaro {
namespace {

// An alarm on a monotonic clock, kept by a timer of the event loop. A timer may fire a
// little before the clock reads its due time (both round to milliseconds); it is then
// started again for the rest, so the action never runs early.
class TimerAlarm final : public ClockAlarm {
 public:
  TimerAlarm(const Clock& clock, std::function<void()> action)
      : m_clock(clock), m_action(std::move(action)) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] { check(); });
  }
  void arm(qint64 dueMs) override {
    m_due = dueMs;
    startForTheRest();
  }
  void cancel() override { m_timer.stop(); }

 private:
  void startForTheRest() {
    const qint64 rest =
        std::clamp<qint64>(m_due - m_clock.monotonicMs(), 0, std::numeric_limits<int>::max());
    m_timer.start(int(rest));
  }
  void check() {
    if (m_clock.monotonicMs() < m_due) return startForTheRest();
    m_action();
  }

  const Clock& m_clock;
  std::function<void()> m_action;
  QTimer m_timer;
  qint64 m_due = 0;
};

class SystemClock final : public Clock {
 public:
  SystemClock() { m_timer.start(); }
  qint64 monotonicMs() const override { return m_timer.elapsed(); }
  QDateTime localNow() const override { return QDateTime::currentDateTime(); }
  std::unique_ptr<ClockAlarm> createAlarm(std::function<void()> action) const override {
    return std::make_unique<TimerAlarm>(*this, std::move(action));
  }

 private:
  QElapsedTimer m_timer;
};

}  // namespace

Clock& Clock::system() {
  static SystemClock clock;
  return clock;
}

}  // namespace velmaro
