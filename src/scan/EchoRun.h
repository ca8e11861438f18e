// One call of the echo engine: its socket, its deadlines and the bookkeeping that ends
// every entry exactly once, whatever happens while it waits.
#pragma once

#include <QByteArray>
#include <QObject>
#include <exception>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

#include "platform/EchoSocket.h"
#include "support/Clock.h"
#include "support/Events.h"

namespace velmaro {

// Hands the socket's pending replies to `accept` until none is left, `stopped` says so, or
// kMaxRepliesPerWake were taken; true in that last case, when more may be waiting: the
// caller comes back after the other events of the loop, so a flood of packets never
// starves them.
bool TakeReplies(platform::EchoSocket& socket, const std::function<bool()>& stopped,
                 const std::function<void(const platform::EchoReply&)>& accept);

// Every wake-up of an engine runs its bookkeeping here. A handler that lets events run may
// wake the engine again while it is still inside; that wake-up is folded into the one in
// progress, so the bookkeeping never runs twice at once. False for a folded wake-up.
class FoldedWakeups {
 public:
  template <class Body, class Stopped>
  bool run(Body body, Stopped stopped) {
    if (m_inside) {
      m_again = true;
      return false;
    }
    m_inside = true;
    do {
      m_again = false;
      body();
    } while (m_again && !stopped());
    m_inside = false;
    return true;
  }

 private:
  bool m_inside = false;
  bool m_again = false;
};

class EchoRun final : public QObject {
 public:
  struct Settings {
    QByteArray data;           // the echo data, sent and expected back unchanged
    qint32 hostTimeoutMs = 0;  // each request's own limit, from its sending
    qint32 allTimeoutMs = 0;   // the whole run's limit, from the first request
    qint32 blockSize = 1;      // requests in flight together; below 1 acts as 1
  };
  // An entry has ended: its round-trip time in ms, or -1 when it was missed. May throw:
  // the run then stops, still reports every other entry and passes the failure on.
  using Report = std::function<void(qsizetype index, qint32 status)>;

  // socket null: nothing can be sent, every entry is missed. A destination of nothing is
  // never sent and its entry is missed.
  EchoRun(std::unique_ptr<platform::EchoSocket> socket, const Clock& clock,
          std::vector<std::optional<quint32>> destinations, Settings settings, Report report);
  ~EchoRun() override;

  // Runs to the end, letting window events flow while it waits, and returns when every
  // entry has been reported. `failure`: one that happened before the run; it is passed
  // on after the entries have all been reported missed.
  void run(std::exception_ptr failure = nullptr);

 private:
  // Blocked: the system's queue was full when the request was due; it is sent again when
  // the socket can take it, until its own time-out.
  enum class State : quint8 { Waiting, Blocked, InFlight, Ended };
  struct Entry {
    std::optional<quint32> destination;
    State state = State::Waiting;
    qint64 sentAt = 0;
    qint64 deadline = 0;
  };

  void service();
  void step();
  void openBlock(qsizetype first);
  void send(qsizetype index);
  void retryBlocked();
  void drainReplies();
  void accept(const platform::EchoReply& reply);
  void expireDue(qint64 now);
  void arm();
  void end(qsizetype index, qint32 status);
  void stop();
  void finish();

  std::unique_ptr<platform::EchoSocket> m_socket;
  const Clock& m_clock;
  std::vector<Entry> m_entries;
  Settings m_settings;
  Report m_report;

  WaitLoop m_wait;
  std::unique_ptr<ClockAlarm> m_alarm;  // the nearest deadline, on the run's clock
  qint64 m_allDeadline = 0;
  qsizetype m_blockFirst = 0;
  qsizetype m_blockEnd = 0;
  qsizetype m_blockRemaining = 0;
  qsizetype m_reported = 0;
  qsizetype m_blocked = 0;  // entries of the block waiting for the socket
  bool m_writable = false;  // the socket said it can take requests again
  qint64 m_retryAt = 0;     // when blocked requests are next tried without that word
  bool m_stopped = false;
  FoldedWakeups m_wakeups;
  std::exception_ptr m_failure;
};

}  // namespace velmaro
