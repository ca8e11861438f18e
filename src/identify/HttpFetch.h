// Reading a host's web pages: one GET with a strict time-out while the window keeps
// handling its events, and the text between two markers of a page.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QRandomGenerator;

namespace velmaro {

class Clock;
class ErrorReporter;
namespace platform {
class Platform;
}

// A page as it came: its text (as HTTP_Download returns it) and the status code of the
// answer, 0 when no whole answer came.
struct FetchedPage {
  QString text;
  int status = 0;
};

// 4xx and 5xx: the server says it has no such page, or failed to make it.
bool IsErrorStatus(int status);

// Where the name procedure gets a host's pages: the network, or pages already fetched.
class PageSource {
 public:
  virtual ~PageSource() = default;
  // The page as HttpFetch::fetchPage describes it.
  virtual FetchedPage fetchPage(const QString& host, quint16 port, const QString& page,
                                const QString& required, qint32 timeoutMs) = 0;
};

// One page request started without waiting for it; destroying it drops the request.
class PendingPage : public QObject {
 public:
  using QObject::QObject;
};

class HttpFetch final : public PageSource {
 public:
  // `random` is the program's one generator, which the sweep re-seeds; every request
  // draws its number from it.
  HttpFetch(ErrorReporter& log, const Clock& clock, platform::Platform& platform,
            QRandomGenerator& random);
  ~HttpFetch();
  HttpFetch(const HttpFetch&) = delete;
  HttpFetch& operator=(const HttpFetch&) = delete;

  // GET http://host:port/page?sid=<number>, after a 50 ms pause. The page, its bytes read
  // as Latin-1, when it came complete less than `timeoutMs` after it was sent and contains
  // `required` (case-sensitive; an empty `required` is in any non-empty page); otherwise
  // empty. The status code is not looked at, redirects are not followed, no proxy is used,
  // nothing is decompressed or authenticated, and a body is kept up to 1 MiB: a longer one
  // counts as complete there. An answer whose head breaks a size limit ends the fetch at
  // once without a page. All work is done on this thread between its events, so a server
  // that floods it cannot hold back the deadline or another fetch. Each call has its own
  // connection, so a fetch made by an event handled during this one never takes this
  // one's answer, nor this one its answer. Failures are reported as procedure
  // "HTTP_Download" of the module and end in an empty page.
  QString HTTP_Download(const QString& host, quint16 port, const QString& page,
                        const QString& required, qint32 timeoutMs);
  // The same fetch, with the answer's status code.
  FetchedPage fetchPage(const QString& host, quint16 port, const QString& page,
                        const QString& required, qint32 timeoutMs) override;
  // The same request sent at once, without the pause and without waiting: `done` gets the
  // page, as fetchPage would return it, from the event loop once the answer is whole or
  // `timeoutMs` have passed on the clock. Never called after the handle is destroyed.
  std::unique_ptr<PendingPage> startPage(const QString& host, quint16 port, const QString& page,
                                         const QString& required, qint32 timeoutMs,
                                         std::function<void(const FetchedPage&)> done);

 private:
  ErrorReporter& m_log;
  const Clock& m_clock;
  platform::Platform& m_platform;
  QRandomGenerator& m_random;
};

// The text between the first `startMarker` and the first `endMarker` found from the
// token's first character on; empty when a marker is missing, the token is empty, or it
// reads "file not found" in any letter case. Case-sensitive otherwise.
QString HTTP_ParseToken(const QString& text, const QString& startMarker, const QString& endMarker);

// A single-precision value in [0, 1) from the generator.
float NextRequestNumber(QRandomGenerator& random);
// The number as a request carries it: rounded to seven significant digits, then written
// "0." and exactly ten decimals (a half rounds up), e.g. 0.7055475000.
QString RequestNumberText(float value);
// "http://" host ":" port "/" page "?sid=" number, the host inserted as it is.
QString RequestUrl(const QString& host, quint16 port, const QString& page, float number);

}  // namespace velmaro
