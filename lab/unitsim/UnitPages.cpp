#include "UnitPages.h"

#include <QList>

namespace velmaro::lab {
namespace {

QByteArray Html(QStringView text) { return text.toString().toHtmlEscaped().toLatin1(); }

QByteArray IdPageHead(const PageSet& pages) {
  QByteArray page = "<html><head><title>" + Html(pages.idTitle) + "</title>\r\n";
  if (pages.idPage == IdPageStyle::WithMeta || pages.idPage == IdPageStyle::NameOnly ||
      pages.behaviour == WebBehaviour::Endless) {
    page += "<meta name=\"" + Html(pages.productName) + "\">\r\n";
    if (pages.idPage != IdPageStyle::NameOnly)
      page += "<meta mac=\"" + Html(pages.macText) + "\">\r\n";
  }
  page += "</head>\r\n";
  page += pages.idPage == IdPageStyle::BodyWithAttributes ? "<body bgcolor=\"#FFFFFF\">" : "<body>";
  return page;
}

QByteArray IdPage(const PageSet& pages) {
  return IdPageHead(pages) + Html(pages.productName) + "</body></html>\r\n";
}

QByteArray HomePage(const PageSet& pages) {
  return "<html><head><title>" + Html(pages.homeTitle) + "</title></head>\r\n<body><h1>" +
         Html(pages.homeTitle) + "</h1></body></html>\r\n";
}

// The error page embedded servers of this kind send; its title is what readers test for.
QByteArray ErrorPage(QByteArrayView status) {
  return "<html><head><title>File Not Found</title></head><body>" + status.toByteArray() +
         "</body></html>\r\n";
}

QByteArray Response(QByteArrayView status, const QByteArray& body, bool withBody,
                    const QByteArray& extraHead = {}) {
  QByteArray out = "HTTP/1.0 " + status.toByteArray() + "\r\n";
  out += "Content-Type: text/html\r\n";
  out += extraHead;
  out += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
  out += "Connection: close\r\n\r\n";
  if (withBody) out += body;
  return out;
}

QByteArray NotFound(const PageSet& pages, bool withBody) {
  QByteArray body;
  switch (pages.missing) {
    case MissingPage::ErrorPage:
      body = ErrorPage("404 Not Found");
      break;
    case MissingPage::Empty:
      break;
    case MissingPage::Titled:
      body =
          "<html><head><title>404 Not Found</title></head><body><center><h1>404 Not Found"
          "</h1></center></body></html>\r\n";
      break;
  }
  return Response("404 Not Found", body, withBody);
}

}  // namespace

HeadParse ParseRequestHead(QByteArrayView received) {
  HeadParse result;
  qsizetype end = received.indexOf(QByteArrayView("\r\n\r\n"));
  if (end < 0) end = received.indexOf(QByteArrayView("\n\n"));
  if (end < 0) {
    if (received.size() > kMaxRequestHead) result.status = HeadStatus::Malformed;
    return result;
  }
  if (end > kMaxRequestHead) {
    result.status = HeadStatus::Malformed;
    return result;
  }
  qsizetype lineEnd = received.indexOf('\n');
  const QByteArray requestLine = received.first(lineEnd).toByteArray().trimmed();
  const QList<QByteArray> parts = requestLine.split(' ');
  if (parts.size() != 3 || !parts[2].startsWith("HTTP/") || !parts[1].startsWith('/')) {
    result.status = HeadStatus::Malformed;
    return result;
  }
  QByteArray target = parts[1].mid(1);
  const qsizetype query = target.indexOf('?');
  if (query >= 0) target.truncate(query);
  result.status = HeadStatus::Complete;
  result.head.method = parts[0];
  result.head.page = QString::fromLatin1(target);
  return result;
}

std::optional<QByteArray> PageBody(const PageSet& pages, QStringView page) {
  if (page == u"id.htm" && pages.idPage != IdPageStyle::None) return IdPage(pages);
  // "/" is the home page when the unit has one.
  if (page.isEmpty() && !pages.homePages.isEmpty()) return HomePage(pages);
  for (const QString& home : pages.homePages) {
    if (page == home) return HomePage(pages);
  }
  return std::nullopt;
}

QByteArray BuildResponse(const PageSet& pages, const HeadParse& request) {
  if (request.status != HeadStatus::Complete)
    return Response("400 Bad Request", ErrorPage("400 Bad Request"), true);
  const QByteArray& method = request.head.method;
  const bool head = method == "HEAD";
  if (method != "GET" && !head)
    return Response("501 Not Implemented", ErrorPage("501 Not Implemented"), true);
  if (pages.behaviour == WebBehaviour::Redirect) {
    const QByteArray target = (pages.redirectTo + request.head.page).toLatin1();
    return Response("302 Found",
                    "<html><head><title>Moved</title></head><body><a href=\"" + target +
                        "\">Moved</a></body></html>\r\n",
                    !head, "Location: " + target + "\r\n");
  }
  if (pages.behaviour == WebBehaviour::Endless) {
    // No length and no end: the reader decides how much it takes.
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n" +
           (head ? QByteArray() : IdPageHead(pages));
  }
  if (const auto body = PageBody(pages, request.head.page)) return Response("200 OK", *body, !head);
  return NotFound(pages, !head);
}

QByteArray EndlessFiller() { return QByteArray("<p>status 0000 ok</p>\r\n").repeated(1024); }

}  // namespace velmaro::lab
