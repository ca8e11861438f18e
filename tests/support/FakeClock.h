// A clock the test sets by hand, whose alarms fire when it is moved on. Left to itself it
// also runs when the program has nothing else to do: once the event loop is about to
// sleep with an alarm armed, the clock jumps to the earliest alarm and fires it. Waits,
// time-outs and deadlines then pass in no real time, in the order their times give.
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

#include "support/Clock.h"

namespace velmaro::test {

class FakeAlarm;

class FakeClock final : public Clock {
 public:
  FakeClock();
  ~FakeClock() override;
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  qint64 monotonicMs() const override { return m_ms; }
  QDateTime localNow() const override { return m_now; }
  std::unique_ptr<ClockAlarm> createAlarm(std::function<void()> action) const override;

  // Moves the clock on; alarms that fall due fire from the event loop, earliest first.
  void advance(qint64 ms);
  void setLocalNow(const QDateTime& now) { m_now = now; }
  // Off: the clock moves only by advance(), for tests that wait for real programs.
  void setRunsWhenIdle(bool on) { m_runsWhenIdle = on; }
  // Runs `action` from the event loop once the clock has moved `delayMs` on.
  void after(qint64 delayMs, std::function<void()> action);
  // Alarms armed and not fired yet.
  int armedAlarms() const;

 private:
  friend class FakeAlarm;
  class Pump;
  void armed(FakeAlarm* alarm);
  void forget(FakeAlarm* alarm) const;
  void fireDue();
  void jumpToNextAlarm();
  void onIdle();

  qint64 m_ms = 1'000'000;
  QDateTime m_now{QDate(2012, 3, 15), QTime(14, 5)};
  bool m_runsWhenIdle = true;
  bool m_jumpPosted = false;
  bool m_watchingIdle = false;
  quint64 m_order = 0;
  mutable std::vector<FakeAlarm*> m_alarms;
  std::vector<std::unique_ptr<ClockAlarm>> m_actions;  // after()'s, kept until the clock goes
  std::unique_ptr<QObject> m_pump;
};

}  // namespace velmaro::test
