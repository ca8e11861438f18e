#include "support/Clock.h"

#include <QElapsedTimer>

namespace velmaro {
namespace {

class SystemClock final : public Clock {
 public:
  SystemClock() { m_timer.start(); }
  qint64 monotonicMs() const override { return m_timer.elapsed(); }
  QDateTime localNow() const override { return QDateTime::currentDateTime(); }

 private:
  QElapsedTimer m_timer;
};

}  // namespace

Clock& Clock::system() {
  static SystemClock clock;
  return clock;
}

}  // namespace velmaro
