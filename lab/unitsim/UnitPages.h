// The web pages a simulated unit serves and the HTTP/1.0 exchange around them.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

namespace velmaro::lab {

// The product-ID page comes in the two forms the maker shipped over the years.
enum class IdPageStyle {
  None,      // no id.htm: 404
  WithMeta,  // name and MAC in <meta ...> entries
  BodyOnly,  // name between <body> and </body>, no meta entries
  // Pages that readers must cope with:
  NameOnly,            // a meta name entry but no meta mac entry
  BodyWithAttributes,  // no meta entries, and the body tag carries attributes
};

// How a page the unit does not have is answered.
enum class MissingPage {
  ErrorPage,  // 404 with an error page titled "File Not Found"
  Empty,      // 404 with no body at all
  Titled,     // 404 with a page titled "404 Not Found", as general web servers send
};

// How the web server behaves beyond its pages.
enum class WebBehaviour {
  Normal,
  Silent,    // accepts the connection, reads the request, never answers
  Endless,   // answers every page with a product-ID page whose body never ends
  Redirect,  // answers every page with 302 to redirectTo + the page name
};

struct PageSet {
  IdPageStyle idPage = IdPageStyle::None;
  QString productName{};    // "NV-CAM-1000 Front door": what id.htm names the unit
  QString macText{};        // "00-0A-2B-01-80-01": the meta mac entry
  QString homeTitle{};      // <title> of the home pages
  QStringList homePages{};  // which of "index.htm", "index.html" exist (empty: none)
  QString idTitle = QStringLiteral("Norvikta Product ID");  // id.htm's <title>
  MissingPage missing = MissingPage::ErrorPage;
  WebBehaviour behaviour = WebBehaviour::Normal;
  QString redirectTo{};  // "http://198.18.7.21/": where Redirect sends every page
};

// The request head once it is complete: the method and the page name after "/",
// without the query ("?sid=...").
struct RequestHead {
  QByteArray method;
  QString page;
};

enum class HeadStatus { Incomplete, Complete, Malformed };

struct HeadParse {
  HeadStatus status = HeadStatus::Incomplete;
  RequestHead head;
};

// A request head may not grow beyond this; a longer one is answered 400 and closed.
inline constexpr qsizetype kMaxRequestHead = 8 * 1024;

// Reads the bytes received so far. Complete once the blank line after the head arrived.
HeadParse ParseRequestHead(QByteArrayView received);

// The page body for a page name, or nothing when the unit has no such page.
std::optional<QByteArray> PageBody(const PageSet& pages, QStringView page);

// The whole HTTP/1.0 response (status line, head, body) for a parsed request. For an
// Endless unit only the head and the start of the page: the rest is EndlessFiller().
QByteArray BuildResponse(const PageSet& pages, const HeadParse& request);

// One piece of the page body that an Endless unit repeats for ever.
QByteArray EndlessFiller();

}  // namespace velmaro::lab
