#include "scan/EchoStream.h"

#include <algorithm>
#include <limits>

#include "support/Events.h"
#include "support/Tunables.h"

namespace velmaro {
namespace {
// Sequence numbers are 16 bits: no more requests than that may wait for their answers.
constexpr size_t kMaxInFlight = 0x10000;
}  // namespace

EchoStream::EchoStream(std::unique_ptr<platform::EchoSocket> socket, const Clock& clock, Next next,
                       Settings settings, Report report)
    : m_socket(std::move(socket)),
      m_clock(clock),
      m_next(std::move(next)),
      m_settings(std::move(settings)),
      m_report(std::move(report)) {
  m_settings.ratePerSecond = std::max<qint32>(m_settings.ratePerSecond, 1);
  m_settings.burst = std::max<qint32>(m_settings.burst, 1);
}

EchoStream::~EchoStream() = default;

void EchoStream::start(std::function<void()> ended) {
  m_ended_action = std::move(ended);
  m_startedAt = m_clock.monotonicMs();
  if (!m_socket) {
    // Nothing can be sent: every address is missed.
    while (const auto address = m_next()) m_report(*address, -1);
    m_drawnAll = true;
    finish();
    return;
  }
  connect(m_socket.get(), &platform::EchoSocket::readyRead, this, &EchoStream::service);
  connect(m_socket.get(), &platform::EchoSocket::writable, this, [this] {
    m_writable = true;
    service();
  });
  m_alarm = m_clock.createAlarm([this] { service(); });
  service();
}

void EchoStream::stop() {
  m_drawnAll = true;
  m_pending.reset();
  m_flights.clear();
  m_answers.clear();
  finish();
}

// Every wake-up comes here; one that arrives while a report runs is folded into the one
// in progress.
void EchoStream::service() {
  if (m_ended) return;
  if (!m_wakeups.run([this] { step(); }, [this] { return m_ended; })) return;
  if (!m_ended) arm(m_clock.monotonicMs());
}

void EchoStream::step() {
  if (WaitsAborted()) return stop();
  drainReplies();
  const qint64 now = m_clock.monotonicMs();
  sendDue(now);
  deliver();
  if (m_ended) return;
  expireDue(m_clock.monotonicMs());
  if (m_drawnAll && !m_pending && m_flights.empty() && m_answers.empty()) finish();
}

void EchoStream::drainReplies() {
  if (m_ended) return;
  if (TakeReplies(
          *m_socket, [this] { return m_ended; },
          [this](const platform::EchoReply& reply) { accept(reply); })) {
    QMetaObject::invokeMethod(this, &EchoStream::service, Qt::QueuedConnection);
  }
}

// A reply counts only for a request still waiting with the same sequence number, sent to
// the address it comes from, carrying our data, and within that request's time-out.
void EchoStream::accept(const platform::EchoReply& reply) {
  if (reply.data != m_settings.data || m_flights.empty()) return;
  const size_t index = quint16(reply.sequence - m_flights.front().sequence);
  if (index >= m_flights.size()) return;
  Flight& flight = m_flights[index];
  if (flight.answered || flight.address != reply.source) return;
  const qint64 rtt = std::max<qint64>(m_clock.monotonicMs() - flight.sentAt, 0);
  if (rtt > m_settings.hostTimeoutMs) return;
  flight.answered = true;
  m_answers.emplace_back(flight.address,
                         qint32(std::min<qint64>(rtt, std::numeric_limits<qint32>::max())));
}

void EchoStream::deliver() {
  while (!m_ended && !m_answers.empty()) {
    const auto [address, rtt] = m_answers.front();
    m_answers.pop_front();
    m_report(address, rtt);
    if (!m_ended) drainReplies();
  }
}

void EchoStream::expireDue(qint64 now) {
  while (!m_flights.empty()) {
    const Flight front = m_flights.front();
    if (!front.answered && front.sentAt + m_settings.hostTimeoutMs > now) return;
    m_flights.pop_front();
    if (!front.answered) m_report(front.address, -1);
  }
}

// When the request after those sent so far may go: the burst at once, then one every
// 1000 / rate ms, counted from the start so a late wake-up never lowers the rate.
qint64 EchoStream::nextSendAt() const {
  if (m_sent < quint64(m_settings.burst)) return m_startedAt;
  const quint64 paced = m_sent - quint64(m_settings.burst) + 1;
  return m_startedAt + qint64((paced * 1000 + quint64(m_settings.ratePerSecond) - 1) /
                              quint64(m_settings.ratePerSecond));
}

void EchoStream::sendDue(qint64 now) {
  if (m_pending && !m_writable && now < m_retryAt) {
    m_socket->watchWritable(true);
    return;
  }
  m_writable = false;
  while (!m_ended && nextSendAt() <= now && m_flights.size() < kMaxInFlight) {
    if (!m_pending) {
      if (m_drawnAll || !(m_pending = m_next())) {
        m_drawnAll = true;
        break;
      }
    }
    const quint32 address = *m_pending;
    switch (m_socket->send(address, m_sequence, m_settings.data)) {
      case platform::SendResult::Sent:
        m_flights.push_back(Flight{address, m_sequence, false, m_clock.monotonicMs()});
        ++m_sequence;
        ++m_sent;
        m_pending.reset();
        // A near host answers while the rest of a burst goes out: timed as it comes.
        drainReplies();
        break;
      case platform::SendResult::TryAgain:
        // The system's queue is full: try again when the socket says so, or after a pause.
        m_retryAt = now + tunables::kEchoRetryPauseMs;
        m_socket->watchWritable(true);
        return;
      case platform::SendResult::Refused:
        ++m_sent;
        m_pending.reset();
        m_report(address, -1);
        break;
    }
  }
  m_socket->watchWritable(false);
}

// One timer for the nearest of: the next request's turn, the oldest request's time-out,
// the retry of a request the queue refused.
void EchoStream::arm(qint64 now) {
  qint64 due = std::numeric_limits<qint64>::max();
  if (!m_flights.empty()) due = m_flights.front().sentAt + m_settings.hostTimeoutMs;
  if (m_pending) {
    due = std::min(due, std::max(m_retryAt, nextSendAt()));
  } else if (!m_drawnAll && m_flights.size() < kMaxInFlight) {
    due = std::min(due, nextSendAt());
  }
  if (due == std::numeric_limits<qint64>::max()) due = now;
  m_alarm->arm(due);
}

void EchoStream::finish() {
  if (m_ended) return;
  m_ended = true;
  if (m_alarm) m_alarm->cancel();
  m_socket.reset();
  if (m_ended_action) m_ended_action();
}

}  // namespace velmaro
