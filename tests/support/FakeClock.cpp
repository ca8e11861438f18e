#include "support/FakeClock.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <algorithm>
#include <tuple>

namespace velmaro::test {

class FakeAlarm final : public ClockAlarm {
 public:
  FakeAlarm(const FakeClock* clock, std::function<void()> action)
      : m_clock(clock), m_action(std::move(action)) {}
  ~FakeAlarm() override {
    if (m_clock) m_clock->forget(this);
  }
  void arm(qint64 dueMs) override {
    if (!m_clock) return;
    m_due = dueMs;
    m_armed = true;
    const_cast<FakeClock*>(m_clock)->armed(this);
  }
  void cancel() override { m_armed = false; }

  const FakeClock* m_clock;
  std::function<void()> m_action;
  qint64 m_due = 0;
  quint64 m_order = 0;
  bool m_armed = false;
};

// Receives the clock's own events: a fire pass at normal priority, and the idle jump at
// low priority, so that it comes after everything the program has posted itself.
class FakeClock::Pump final : public QObject {
 public:
  explicit Pump(FakeClock& clock) : m_clock(clock) {}
  static constexpr QEvent::Type kFire = QEvent::Type(QEvent::User + 1);
  static constexpr QEvent::Type kJump = QEvent::Type(QEvent::User + 2);
  bool event(QEvent* e) override {
    if (e->type() == kFire) {
      m_clock.fireDue();
      return true;
    }
    if (e->type() == kJump) {
      m_clock.jumpToNextAlarm();
      return true;
    }
    return QObject::event(e);
  }

 private:
  FakeClock& m_clock;
};

FakeClock::FakeClock() : m_pump(std::make_unique<Pump>(*this)) {}

FakeClock::~FakeClock() {
  m_actions.clear();
  // Alarms that outlive the clock (a wait's, a test's leftovers) become inert.
  for (FakeAlarm* alarm : m_alarms) alarm->m_clock = nullptr;
}

std::unique_ptr<ClockAlarm> FakeClock::createAlarm(std::function<void()> action) const {
  auto alarm = std::make_unique<FakeAlarm>(this, std::move(action));
  m_alarms.push_back(alarm.get());
  return alarm;
}

void FakeClock::forget(FakeAlarm* alarm) const {
  m_alarms.erase(std::remove(m_alarms.begin(), m_alarms.end(), alarm), m_alarms.end());
}

void FakeClock::advance(qint64 ms) {
  m_ms += ms;
  m_now = m_now.addMSecs(ms);
  QCoreApplication::postEvent(m_pump.get(), new QEvent(Pump::kFire));
}

void FakeClock::after(qint64 delayMs, std::function<void()> action) {
  m_actions.push_back(createAlarm(std::move(action)));
  m_actions.back()->arm(m_ms + delayMs);
}

int FakeClock::armedAlarms() const {
  return int(std::count_if(m_alarms.begin(), m_alarms.end(),
                           [](const FakeAlarm* a) { return a->m_armed; }));
}

void FakeClock::armed(FakeAlarm* alarm) {
  alarm->m_order = ++m_order;
  if (alarm->m_due <= m_ms) QCoreApplication::postEvent(m_pump.get(), new QEvent(Pump::kFire));
  if (!m_watchingIdle) {
    if (auto* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread())) {
      QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, m_pump.get(),
                       [this] { onIdle(); });
      m_watchingIdle = true;
    }
  }
}

// Fires the armed alarms whose time has come, one at a time and earliest first, looking
// afresh after each: an action may arm, cancel or destroy any alarm.
void FakeClock::fireDue() {
  while (true) {
    FakeAlarm* next = nullptr;
    for (FakeAlarm* alarm : m_alarms) {
      if (!alarm->m_armed || alarm->m_due > m_ms) continue;
      if (!next || std::tie(alarm->m_due, alarm->m_order) < std::tie(next->m_due, next->m_order))
        next = alarm;
    }
    if (!next) return;
    next->m_armed = false;
    const std::function<void()> action = next->m_action;  // the alarm may go in its action
    action();
  }
}

void FakeClock::onIdle() {
  if (!m_runsWhenIdle || m_jumpPosted || armedAlarms() == 0) return;
  m_jumpPosted = true;
  QCoreApplication::postEvent(m_pump.get(), new QEvent(Pump::kJump), Qt::LowEventPriority);
}

void FakeClock::jumpToNextAlarm() {
  m_jumpPosted = false;
  qint64 earliest = 0;
  bool any = false;
  for (const FakeAlarm* alarm : m_alarms) {
    if (!alarm->m_armed) continue;
    earliest = any ? std::min(earliest, alarm->m_due) : alarm->m_due;
    any = true;
  }
  if (!any) return;
  if (earliest > m_ms) {
    m_now = m_now.addMSecs(earliest - m_ms);
    m_ms = earliest;
  }
  fireDue();
}

}  // namespace velmaro::test
