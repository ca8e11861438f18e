// Time for the whole program: a monotonic clock for durations and deadlines, local wall
// time for time stamps. Tests inject their own, so nothing needs to sleep to be tested.
#pragma once

#include <QDateTime>
#include <QtGlobal>

namespace velmaro {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds on a clock that never goes back; its origin means nothing.
  virtual qint64 monotonicMs() const = 0;
  // Local date and time of day.
  virtual QDateTime localNow() const = 0;

  // The real clocks of the machine.
  static Clock& system();
};

}  // namespace velmaro
