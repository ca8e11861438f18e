// The paced echo engine of the command line's fast sweep: requests go out at a steady rate
// to addresses drawn one at a time, and each address is reported once, answered or missed,
// as soon as that is known. It holds state for the requests in flight only, never for the
// addresses swept, and it never waits itself: it runs on the event loop of its caller.
#pragma once

#include <QByteArray>
#include <QObject>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "platform/EchoSocket.h"
#include "scan/EchoRun.h"
#include "support/Clock.h"

namespace velmaro {

class EchoStream final : public QObject {
 public:
  struct Settings {
    QByteArray data;           // sent, and expected back unchanged
    qint32 hostTimeoutMs = 0;  // each request's own limit, from its sending
    qint32 ratePerSecond = 1;  // requests per second once the first burst has gone
    qint32 burst = 1;          // requests that may go out at once at the start
  };
  // The next address to ask, nothing when there are no more.
  using Next = std::function<std::optional<quint32>()>;
  // An address has ended: its round-trip time in ms, or -1 when it was missed. Must not
  // throw; it may start work of its own on the event loop.
  using Report = std::function<void(quint32 address, qint32 status)>;

  EchoStream(std::unique_ptr<platform::EchoSocket> socket, const Clock& clock, Next next,
             Settings settings, Report report);
  ~EchoStream() override;

  // Starts sending and returns at once; `ended` is called once, from the event loop or
  // from inside this call, when every address has been reported.
  void start(std::function<void()> ended);
  bool ended() const { return m_ended; }
  // Ends at once: nothing more is sent or reported.
  void stop();

 private:
  struct Flight {
    quint32 address = 0;
    quint16 sequence = 0;
    bool answered = false;
    qint64 sentAt = 0;
  };

  void service();
  void step();
  void drainReplies();
  void accept(const platform::EchoReply& reply);
  void expireDue(qint64 now);
  void sendDue(qint64 now);
  void deliver();
  qint64 nextSendAt() const;
  void arm(qint64 now);
  void finish();

  std::unique_ptr<platform::EchoSocket> m_socket;
  const Clock& m_clock;
  Next m_next;
  Settings m_settings;
  Report m_report;
  std::function<void()> m_ended_action;

  std::unique_ptr<ClockAlarm> m_alarm;
  std::deque<Flight> m_flights;  // in sending order, so also in deadline order
  // Answers taken from the socket and timed, not reported yet: the socket is read before
  // each report, so the work a report starts never adds to the next host's time.
  std::deque<std::pair<quint32, qint32>> m_answers;
  std::optional<quint32> m_pending;  // drawn, and refused for now by a full queue
  bool m_drawnAll = false;
  quint64 m_sent = 0;
  qint64 m_startedAt = 0;
  qint64 m_retryAt = 0;
  quint16 m_sequence = 0;
  bool m_writable = false;
  FoldedWakeups m_wakeups;
  bool m_ended = false;
};

}  // namespace velmaro
