// Time for the whole program: a monotonic clock for durations and deadlines, local wall
// time for time stamps, and alarms at a monotonic time. Tests inject their own clock, so
// nothing needs to sleep to be tested.
#pragma once

#include <QDateTime>
#include <QtGlobal>
#include <functional>
#include <memory>

namespace velmaro {

// A wake-up at a time of its clock's monotonic reading. Destroying it cancels it.
class ClockAlarm {
 public:
  virtual ~ClockAlarm() = default;
  // The action runs once, from the thread's event loop, once the monotonic reading has
  // reached `dueMs` (at once when it already has); arming again replaces the due time.
  virtual void arm(qint64 dueMs) = 0;
  virtual void cancel() = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a clock that never goes back; its origin means nothing.
  virtual qint64 monotonicMs() const = 0;
  // Local date and time of day.
  virtual QDateTime localNow() const = 0;
  // An alarm on this clock, not armed yet. Every deadline of the program is one, so a
  // test's clock decides when it passes.
  virtual std::unique_ptr<ClockAlarm> createAlarm(std::function<void()> action) const = 0;

  // The real clocks of the machine.
  static Clock& system();
};

}  // namespace velmaro
