// A clock the test sets by hand.
#pragma once

#include "support/Clock.h"

namespace velmaro::test {

class FakeClock final : public Clock {
 public:
  qint64 monotonicMs() const override { return m_ms; }
  QDateTime localNow() const override { return m_now; }

  void advance(qint64 ms) {
    m_ms += ms;
    m_now = m_now.addMSecs(ms);
  }
  void setLocalNow(const QDateTime& now) { m_now = now; }

 private:
  qint64 m_ms = 1'000'000;
  QDateTime m_now{QDate(2012, 3, 15), QTime(14, 5)};
};

}  // namespace velmaro::test
