#include "scan/EchoRun.h"

#include <algorithm>

#include "support/Events.h"
#include "support/Tunables.h"

namespace velmaro {

EchoRun::EchoRun(std::unique_ptr<platform::EchoSocket> socket, const Clock& clock,
                 std::vector<std::optional<quint32>> destinations, Settings settings, Report report)
    : m_socket(std::move(socket)),
      m_clock(clock),
      m_settings(std::move(settings)),
      m_report(std::move(report)) {
  m_entries.reserve(destinations.size());
  for (auto& destination : destinations) m_entries.push_back(Entry{destination});
  m_settings.blockSize = std::max<qint32>(m_settings.blockSize, 1);
}

EchoRun::~EchoRun() = default;

void EchoRun::run(std::exception_ptr failure) {
  m_failure = failure;
  try {
    if (failure || !m_socket || WaitsAborted() || m_entries.empty()) {
      m_stopped = true;
    } else {
      connect(m_socket.get(), &platform::EchoSocket::readyRead, this, &EchoRun::service);
      connect(m_socket.get(), &platform::EchoSocket::writable, this, [this] {
        m_writable = true;
        service();
      });
      m_alarm = m_clock.createAlarm([this] { service(); });
      m_allDeadline = m_clock.monotonicMs() + m_settings.allTimeoutMs;
      openBlock(0);
      service();
      // Ends when every entry has ended, or at once when the window closes or the
      // application quits.
      m_wait.run();
    }
  } catch (...) {
    if (!m_failure) m_failure = std::current_exception();
  }
  finish();
  if (m_failure) std::rethrow_exception(m_failure);
}

void EchoRun::stop() {
  m_stopped = true;
  m_wait.end();
}

// Every wake-up comes here. A handler that lets window events run may wake the run again
// while it is still inside; that wake-up is folded into the one in progress, so the
// bookkeeping never runs twice at once.
void EchoRun::service() {
  if (m_stopped) {
    m_wait.end();
    return;
  }
  if (!m_wakeups.run([this] { step(); }, [this] { return m_stopped; })) return;
  if (m_stopped)
    m_wait.end();
  else
    arm();
}

void EchoRun::step() {
  if (WaitsAborted()) return stop();
  drainReplies();
  if (m_stopped) return;
  retryBlocked();
  if (m_stopped) return;
  const qint64 now = m_clock.monotonicMs();
  expireDue(now);
  if (m_stopped) return;
  if (now >= m_allDeadline) return stop();
  while (!m_stopped && m_blockRemaining == 0 && m_blockEnd < qsizetype(m_entries.size()))
    openBlock(m_blockEnd);
  if (m_reported == qsizetype(m_entries.size())) stop();
}

// Puts the block starting at `first` in flight at once.
void EchoRun::openBlock(qsizetype first) {
  const qsizetype n = qsizetype(m_entries.size());
  m_blockFirst = first;
  m_blockEnd = first + std::min<qsizetype>(m_settings.blockSize, n - first);
  m_blockRemaining = m_blockEnd - m_blockFirst;
  for (qsizetype i = m_blockFirst; i < m_blockEnd && !m_stopped; ++i) {
    Entry& entry = m_entries[size_t(i)];
    if (entry.state != State::Waiting) continue;
    entry.sentAt = m_clock.monotonicMs();
    entry.deadline = entry.sentAt + m_settings.hostTimeoutMs;
    send(i);
  }
}

// Hands one request to the system; an entry that cannot be sent ends right away as
// missed, like a request the system rejects.
void EchoRun::send(qsizetype index) {
  Entry& entry = m_entries[size_t(index)];
  const qint64 attempt = m_clock.monotonicMs();
  const platform::SendResult result =
      entry.destination
          ? m_socket->send(*entry.destination, quint16(index & 0xFFFF), m_settings.data)
          : platform::SendResult::Refused;
  const bool wasBlocked = entry.state == State::Blocked;
  switch (result) {
    case platform::SendResult::Sent:
      if (wasBlocked) --m_blocked;
      entry.state = State::InFlight;
      // The round trip counts from this try, not from the first one.
      entry.sentAt = attempt;
      // Answers from the hosts already sent to are taken as they come: left waiting until
      // the whole block is out, a near host's time would grow by the rest of the block.
      drainReplies();
      break;
    case platform::SendResult::TryAgain:
      if (!wasBlocked) {
        entry.state = State::Blocked;
        ++m_blocked;
      }
      break;
    case platform::SendResult::Refused:
      if (wasBlocked) --m_blocked;
      end(index, -1);
      break;
  }
}

// Sends the requests that found the queue full, in order, once the socket says it can
// take them or a pause has passed (a full device queue does not always say so). One
// round per word or pause, so a queue that stays full never spins the processor.
void EchoRun::retryBlocked() {
  if (m_blocked == 0) {
    m_writable = false;
    m_socket->watchWritable(false);
    return;
  }
  const qint64 now = m_clock.monotonicMs();
  if (!m_writable && now < m_retryAt) {
    m_socket->watchWritable(true);
    return;
  }
  m_writable = false;
  for (qsizetype i = m_blockFirst; i < m_blockEnd && !m_stopped && m_blocked > 0; ++i) {
    Entry& entry = m_entries[size_t(i)];
    if (entry.state != State::Blocked || entry.deadline <= now) continue;
    send(i);
  }
  if (m_stopped) return;
  m_retryAt = now + tunables::kEchoRetryPauseMs;
  m_socket->watchWritable(m_blocked > 0);
}

bool TakeReplies(platform::EchoSocket& socket, const std::function<bool()>& stopped,
                 const std::function<void(const platform::EchoReply&)>& accept) {
  for (int taken = 0; !stopped(); ++taken) {
    if (taken == tunables::kMaxRepliesPerWake) return true;
    const auto reply = socket.receive();
    if (!reply) return false;
    accept(*reply);
  }
  return false;
}

void EchoRun::drainReplies() {
  if (TakeReplies(
          *m_socket, [this] { return m_stopped; },
          [this](const platform::EchoReply& reply) { accept(reply); })) {
    QMetaObject::invokeMethod(this, &EchoRun::service, Qt::QueuedConnection);
  }
}

// A reply counts only for a request still in flight with the same sequence number, sent
// to the address it comes from, carrying our data, and within that request's time-out.
void EchoRun::accept(const platform::EchoReply& reply) {
  if (reply.data != m_settings.data) return;
  const qint64 now = m_clock.monotonicMs();
  for (qsizetype i = reply.sequence; i < m_blockEnd; i += 0x10000) {
    Entry& entry = m_entries[size_t(i)];
    if (entry.state != State::InFlight || entry.destination != reply.source) continue;
    if (now > entry.deadline || now >= m_allDeadline) return;
    const qint64 rtt = std::max<qint64>(now - entry.sentAt, 0);
    end(i, qint32(std::min<qint64>(rtt, std::numeric_limits<qint32>::max())));
    return;
  }
}

void EchoRun::expireDue(qint64 now) {
  for (qsizetype i = m_blockFirst; i < m_blockEnd && !m_stopped; ++i) {
    Entry& entry = m_entries[size_t(i)];
    if (entry.deadline > now) continue;
    if (entry.state == State::Blocked) {
      --m_blocked;
      end(i, -1);
    } else if (entry.state == State::InFlight) {
      end(i, -1);
    }
  }
}

// One timer for the nearest deadline: the earliest request still in flight, or the
// whole run's limit.
void EchoRun::arm() {
  qint64 next = m_allDeadline;
  for (qsizetype i = m_blockFirst; i < m_blockEnd; ++i) {
    const Entry& entry = m_entries[size_t(i)];
    if (entry.state == State::InFlight || entry.state == State::Blocked)
      next = std::min(next, entry.deadline);
  }
  if (m_blocked > 0) next = std::min(next, m_retryAt);
  m_alarm->arm(next);
}

void EchoRun::end(qsizetype index, qint32 status) {
  Entry& entry = m_entries[size_t(index)];
  entry.state = State::Ended;
  ++m_reported;
  if (index >= m_blockFirst && index < m_blockEnd) --m_blockRemaining;
  try {
    m_report(index, status);
  } catch (...) {
    if (!m_failure) m_failure = std::current_exception();
    stop();
  }
  // A handler may have let the window close.
  if (WaitsAborted()) stop();
}

// Releases the socket and the timer first, then reports every entry not yet reported,
// in index order. Nothing here may be skipped, so a failing handler only ends its own
// report.
void EchoRun::finish() {
  m_stopped = true;
  if (m_alarm) m_alarm->cancel();
  m_socket.reset();
  for (qsizetype i = 0; i < qsizetype(m_entries.size()); ++i) {
    Entry& entry = m_entries[size_t(i)];
    if (entry.state == State::Ended) continue;
    entry.state = State::Ended;
    ++m_reported;
    try {
      m_report(i, -1);
    } catch (...) {
      if (!m_failure) m_failure = std::current_exception();
    }
  }
}

}  // namespace velmaro
