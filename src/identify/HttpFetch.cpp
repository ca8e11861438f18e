#include "identify/HttpFetch.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QNetworkProxy>
#include <QRandomGenerator>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

#include "identify/HttpResponse.h"
#include "platform/Platform.h"
#include "support/Clock.h"
#include "support/Events.h"
#include "support/StepTrap.h"
#include "support/Tunables.h"
#include "support/Wait.h"

namespace velmaro {
namespace {

// One GET on a connection of its own, so its answer reaches no other fetch. Everything it
// does runs on this thread when its socket has news, in pieces of bounded size, and it
// stops reading the moment the answer is whole, broken or past a limit: however fast a
// server sends, the thread returns to its events after each piece.
class PageRequest final : public QObject {
 public:
  explicit PageRequest(std::function<void()> done) : m_done(std::move(done)) {
    // Units sit on the local network: a desktop proxy must not see, or answer, these requests.
    m_socket.setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    // What the socket may take from the system before this request has read it.
    m_socket.setReadBufferSize(tunables::kPageReadBufferBytes);
  }
  PageRequest(const PageRequest&) = delete;
  PageRequest& operator=(const PageRequest&) = delete;

  // Fails for an address that is no valid URL.
  bool open(const QUrl& url) {
    if (!url.isValid() || url.host().isEmpty() || url.port() < 0) return false;
    m_host = url.host();
    m_port = quint16(url.port());
    // A plain HTTP/1.1 GET: the bytes as sent (a compressed body could unpack to far more
    // than the cap), one request per connection.
    QByteArray target = url.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
    if (target.isEmpty()) target = "/";
    m_request = "GET " + target + " HTTP/1.1\r\nHost: " + url.host(QUrl::FullyEncoded).toLatin1() +
                (m_port == 80 ? QByteArray() : ':' + QByteArray::number(m_port)) +
                "\r\nAccept-Encoding: identity\r\nConnection: close\r\n\r\n";
    return true;
  }
  // Fails when nothing was opened.
  bool send() {
    if (m_request.isEmpty()) return false;
    connect(&m_socket, &QTcpSocket::connected, this, [this] { m_socket.write(m_request); });
    connect(&m_socket, &QIODevice::readyRead, this, &PageRequest::take);
    // A refused connection, an error and the server's close all end the answer here.
    connect(&m_socket, &QAbstractSocket::errorOccurred, this, &PageRequest::closed);
    connect(&m_socket, &QAbstractSocket::disconnected, this, &PageRequest::closed);
    m_socket.connectToHost(m_host, m_port);
    return true;
  }

  bool finished() const { return m_parser.state() != ResponseState::Reading; }
  // The answer, when it came whole.
  std::optional<FetchedPage> answer() const {
    if (m_parser.state() != ResponseState::Complete) return std::nullopt;
    return FetchedPage{QString::fromLatin1(m_parser.body()), m_parser.status()};
  }

 private:
  void take() {
    char piece[tunables::kPageReadPiece];
    // A connection that never opened (refused, no route) has nothing to read.
    while (!finished() && m_socket.isReadable() && m_socket.bytesAvailable() > 0) {
      const qint64 got = m_socket.read(piece, sizeof piece);
      if (got <= 0) break;
      m_parser.feed(QByteArrayView(piece, got));
    }
    settle();
  }
  void closed() {
    take();
    m_parser.close();
    settle();
  }
  // Once the answer is decided, the connection has nothing more to give.
  void settle() {
    if (!finished() || m_settled) return;
    m_settled = true;
    QObject::disconnect(&m_socket, nullptr, this, nullptr);
    m_socket.abort();
    m_done();
  }

  QTcpSocket m_socket;
  QString m_host;
  quint16 m_port = 0;
  QByteArray m_request;
  ResponseParser m_parser;
  bool m_settled = false;
  std::function<void()> m_done;
};

// Sleeps in a nested event loop until the request is complete, `timeoutMs` have passed
// since `start` on the injected clock or by the real timer, or the program is closing or
// quitting.
void WaitForAnswer(const Clock& clock, qint64 start, qint32 timeoutMs, const PageRequest* request,
                   WaitLoop& loop) {
  bool deadlinePassed = false;
  auto elapsed = [&] {
    const qint64 ms = clock.monotonicMs() - start;
    return deadlinePassed ? std::max<qint64>(ms, timeoutMs) : ms;
  };
  auto finished = [&] {
    return (request && request->finished()) || elapsed() >= timeoutMs || WaitsAborted();
  };
  if (finished() || !QCoreApplication::instance()) return;

  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  QObject::connect(&deadline, &QTimer::timeout, &deadline, [&] {
    deadlinePassed = true;
    loop.end();
  });
  deadline.start(
      static_cast<int>(std::min<qint64>(timeoutMs - elapsed(), std::numeric_limits<int>::max())));
  // Each time the thread is about to sleep: a clock that moved on or a window that is
  // closing ends the wait without a timer of its own.
  QMetaObject::Connection watch;
  if (auto* dispatcher = QAbstractEventDispatcher::instance(QThread::currentThread())) {
    watch = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &deadline, [&] {
      if (finished()) loop.end();
    });
  }
  loop.run();
  QObject::disconnect(watch);
}

// The page a request gives: its answer's text only when it contains `required`.
FetchedPage keptPage(const std::optional<FetchedPage>& answer, const QString& required) {
  FetchedPage page;
  if (!answer) return page;
  page.status = answer->status;
  if (!answer->text.isEmpty() && answer->text.contains(required)) page.text = answer->text;
  return page;
}

// A request of startPage: its connection and its deadline on the clock. The page is handed
// on from the event loop, never from inside the socket's own signal.
class StartedPage final : public PendingPage {
 public:
  StartedPage(const Clock& clock, QString required, std::function<void(const FetchedPage&)> done)
      : m_request([this] { settle(); }), m_required(std::move(required)), m_done(std::move(done)) {
    m_alarm = clock.createAlarm([this] { settle(); });
  }
  bool start(const QUrl& url, qint64 deadline) {
    m_alarm->arm(deadline);
    return m_request.open(url) && m_request.send();
  }
  // Ends at once without a page: the request could not be made.
  void fail() { m_alarm->arm(0); }

 private:
  void settle() {
    if (m_settled) return;
    m_settled = true;
    m_alarm->cancel();
    QMetaObject::invokeMethod(
        this, [this] { m_done(keptPage(m_request.answer(), m_required)); }, Qt::QueuedConnection);
  }

  PageRequest m_request;
  QString m_required;
  std::function<void(const FetchedPage&)> m_done;
  std::unique_ptr<ClockAlarm> m_alarm;
  bool m_settled = false;
};

}  // namespace

HttpFetch::HttpFetch(ErrorReporter& log, const Clock& clock, platform::Platform& platform,
                     QRandomGenerator& random)
    : m_log(log), m_clock(clock), m_platform(platform), m_random(random) {}

HttpFetch::~HttpFetch() = default;

bool IsErrorStatus(int status) { return status >= 400 && status <= 599; }

QString HttpFetch::HTTP_Download(const QString& host, quint16 port, const QString& page,
                                 const QString& required, qint32 timeoutMs) {
  return fetchPage(host, port, page, required, timeoutMs).text;
}

FetchedPage HttpFetch::fetchPage(const QString& host, quint16 port, const QString& page,
                                 const QString& required, qint32 timeoutMs) {
  StepTrap trap(m_log, QStringLiteral("HTTP_Download"), Container::Module);
  FetchedPage result;
  WaitLoop loop;
  std::unique_ptr<PageRequest> request;
  // Line 30: every fetch has a request of its own, made here; nothing is sent yet.
  trap.step(30, [&] { request = std::make_unique<PageRequest>([&loop] { loop.end(); }); });
  trap.step(40, [&] { TimedWait(tunables::kHttpSettleMs, m_clock); });
  trap.step(50, [&] {
    const QUrl url(RequestUrl(host, port, page, NextRequestNumber(m_random)), QUrl::StrictMode);
    if (!m_platform.allowsWebRequest(host) || !request || !request->open(url))
      throw err::invalidCall();
  });
  // A request that was not opened cannot be sent either: that is a failure of its own.
  trap.step(60, [&] {
    if (WaitsAborted()) return;  // a closing window sends nothing more
    if (!request || !request->send()) throw err::invalidCall();
  });
  qint64 start = 0;
  trap.step(70, [&] { start = m_clock.monotonicMs(); });
  // Lines 80 to 100. A request that could not be sent never completes: the time-out passes.
  trap.step(80, [&] { WaitForAnswer(m_clock, start, timeoutMs, request.get(), loop); });

  std::optional<FetchedPage> answer;
  trap.step(120, [&] {
    if (request) answer = request->answer();
  });
  const FetchedPage kept = keptPage(answer, required);
  result.status = kept.status;
  if (trap.test(130, [&] { return !kept.text.isEmpty(); })) {
    trap.step(140, [&] { result.text = kept.text; });
  }
  return result;
}

std::unique_ptr<PendingPage> HttpFetch::startPage(const QString& host, quint16 port,
                                                  const QString& page, const QString& required,
                                                  qint32 timeoutMs,
                                                  std::function<void(const FetchedPage&)> done) {
  StepTrap trap(m_log, QStringLiteral("HTTP_Download"), Container::Module);
  auto request = std::make_unique<StartedPage>(m_clock, required, std::move(done));
  const qint64 deadline = m_clock.monotonicMs() + timeoutMs;
  if (WaitsAborted()) {  // a closing program sends nothing more
    request->fail();
    return request;
  }
  // A request that cannot be made ends at once, reported as the waiting fetch reports it.
  const bool sent = trap.value(50, false, [&] {
    const QUrl url(RequestUrl(host, port, page, NextRequestNumber(m_random)), QUrl::StrictMode);
    if (!m_platform.allowsWebRequest(host) || !request->start(url, deadline))
      throw err::invalidCall();
    return true;
  });
  if (!sent) request->fail();
  return request;
}

QString HTTP_ParseToken(const QString& text, const QString& startMarker, const QString& endMarker) {
  const qsizetype found = text.indexOf(startMarker);
  if (found < 0) return {};
  const qsizetype tokenStart = found + startMarker.size();
  // From the token's first character: an empty element ("<title></title>") is empty, not
  // everything up to the next end marker further down the page.
  const qsizetype tokenEnd = text.indexOf(endMarker, tokenStart);
  if (tokenEnd <= tokenStart) return {};
  const QString token = text.mid(tokenStart, tokenEnd - tokenStart);
  // The units' error pages are titled so; such a page names nothing.
  if (token.toLower() == QStringLiteral("file not found")) return {};
  return token;
}

float NextRequestNumber(QRandomGenerator& random) {
  // 24 random bits: every value is exact in single precision and below 1.
  constexpr float kScale = 1.0f / static_cast<float>(1 << 24);
  return static_cast<float>(random.generate() >> 8) * kScale;
}

QString RequestNumberText(float value) {
  // Seven significant digits, e.g. "7.055475e-01": the value is digits x 10^(exponent - 6).
  const QString scientific = QString::number(static_cast<double>(value), 'e', 6);
  const qsizetype e = scientific.indexOf(u'e');
  const qint64 digits = QString(scientific.left(e)).remove(u'.').toLongLong();
  const int exponent = scientific.mid(e + 1).toInt();
  // In units of 1e-10: digits x 10^(exponent + 4), a half rounding up.
  constexpr qint64 kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
  const int shift = exponent + 4;
  qint64 units = 0;
  if (shift >= 0) {
    units = digits * kPowers[std::min(shift, 8)];
  } else if (-shift <= 7) {
    const qint64 divisor = kPowers[-shift];
    units = (digits + divisor / 2) / divisor;
  }
  constexpr qint64 kOne = 10000000000LL;
  return QString::number(units / kOne) + u'.' +
         QString::number(units % kOne).rightJustified(10, u'0');
}

QString RequestUrl(const QString& host, quint16 port, const QString& page, float number) {
  return QStringLiteral("http://") + host + u':' + QString::number(port) + u'/' + page +
         QStringLiteral("?sid=") + RequestNumberText(number);
}

}  // namespace velmaro
