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
};

struct PageSet {
  IdPageStyle idPage = IdPageStyle::None;
  QString productName;  // "NV-CAM-1000 Front door": what id.htm names the unit
  QString macText;      // "00-0A-2B-01-80-01": the meta mac entry
  QString homeTitle;    // <title> of the home pages
  QStringList homePages;  // which of "index.htm", "index.html" exist (empty: none)
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

// The whole HTTP/1.0 response (status line, head, body) for a parsed request.
QByteArray BuildResponse(const PageSet& pages, const HeadParse& request);

}  // namespace velmaro::lab
