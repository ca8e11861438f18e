#include "identify/HttpFetch.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QRandomGenerator>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <functional>
#include <limits>

#include "platform/Platform.h"
#include "support/Clock.h"
#include "support/Events.h"
#include "support/StepTrap.h"
#include "support/Tunables.h"
#include "support/Wait.h"

namespace velmaro {
namespace {

// One GET in flight. It belongs to the fetch that made it, so its answer reaches no other.
class PageRequest final : public QObject {
 public:
  PageRequest(QNetworkAccessManager& manager, const QUrl& url, std::function<void()> done)
      : m_done(std::move(done)) {
    QNetworkRequest request(url);
    // A unit's answer is what it sends itself: another host's page would name the wrong unit.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CookieLoadControlAttribute, QNetworkRequest::Manual);
    request.setAttribute(QNetworkRequest::CookieSaveControlAttribute, QNetworkRequest::Manual);
    // The bytes as sent: a compressed body could unpack to far more than the cap.
    request.setRawHeader("Accept-Encoding", "identity");
    m_reply = manager.get(request);
    m_reply->setReadBufferSize(tunables::kPageReadBufferBytes);
    connect(m_reply, &QIODevice::readyRead, this, &PageRequest::take);
    connect(m_reply, &QNetworkReply::finished, this, [this] {
      take();
      end();
    });
  }
  ~PageRequest() override {
    // The manager owns the reply too and may have gone first, when the program is closing.
    if (!m_reply) return;
    // Still in flight at the time-out: close the connection now rather than leave it open.
    disconnect(m_reply, nullptr, this, nullptr);
    m_reply->abort();
    delete m_reply.data();
  }
  PageRequest(const PageRequest&) = delete;
  PageRequest& operator=(const PageRequest&) = delete;

  bool complete() const { return m_complete; }
  const QByteArray& body() const { return m_body; }

 private:
  void take() {
    const qint64 room = tunables::kMaxPageBytes - m_body.size();
    if (room > 0) m_body += m_reply->read(room);
    // Past the cap the rest stays unread; the network layer stops at its small buffer.
    if (m_body.size() >= tunables::kMaxPageBytes) end();
  }
  void end() {
    if (m_complete) return;
    m_complete = true;
    m_done();
  }

  QPointer<QNetworkReply> m_reply;
  QByteArray m_body;
  bool m_complete = false;
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
    return (request && request->complete()) || elapsed() >= timeoutMs || WaitsAborted();
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

}  // namespace

HttpFetch::HttpFetch(ErrorReporter& log, const Clock& clock, platform::Platform& platform,
                     QRandomGenerator& random)
    : m_log(log), m_clock(clock), m_platform(platform), m_random(random) {}

HttpFetch::~HttpFetch() = default;

QString HttpFetch::HTTP_Download(const QString& host, quint16 port, const QString& page,
                                 const QString& required, qint32 timeoutMs) {
  StepTrap trap(m_log, QStringLiteral("HTTP_Download"), Container::Module);
  QString result;
  // Line 30: every fetch makes its own request below; the manager they share is made once.
  trap.step(30, [&] {
    if (m_manager) return;
    m_manager = std::make_unique<QNetworkAccessManager>();
    // Units sit on the local network: a desktop proxy must not see, or answer, these requests.
    m_manager->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
  });
  trap.step(40, [&] { TimedWait(tunables::kHttpSettleMs, m_clock); });

  WaitLoop loop;
  std::unique_ptr<PageRequest> request;
  QUrl url;
  bool opened = false;
  trap.step(50, [&] {
    url = QUrl(RequestUrl(host, port, page, NextRequestNumber(m_random)), QUrl::StrictMode);
    if (!url.isValid() || !m_platform.allowsWebRequest(host)) throw err::invalidCall();
    opened = true;
  });
  trap.step(60, [&] {
    if (!opened || !m_manager || WaitsAborted()) return;  // a closing window waits for nothing
    request = std::make_unique<PageRequest>(*m_manager, url, [&loop] { loop.end(); });
  });
  qint64 start = 0;
  trap.step(70, [&] { start = m_clock.monotonicMs(); });
  // Lines 80 to 100. A request that could not be sent never completes: the time-out passes.
  trap.step(80, [&] { WaitForAnswer(m_clock, start, timeoutMs, request.get(), loop); });

  QString answer;
  trap.step(120, [&] {
    if (request && request->complete()) answer = QString::fromLatin1(request->body());
  });
  if (trap.test(130, [&] { return !answer.isEmpty() && answer.contains(required); })) {
    trap.step(140, [&] { result = answer; });
  }
  return result;
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
