// What a host's web pages say it is: the maker's product-ID page and the title of a home
// page. Pure rules over the page text, so they can be tested and fuzzed alone.
#pragma once

#include <QString>

namespace velmaro {

// The maker's identification page and the title that proves a page is one.
inline constexpr char16_t kProductIdPage[] = u"id.htm";
inline constexpr char16_t kProductIdTitle[] = u"<title>Norvikta Product ID</title>";
// The home pages tried in turn for a generic title.
inline constexpr char16_t kHomePage[] = u"index.htm";
inline constexpr char16_t kHomePageAlternative[] = u"index.html";

// A product-ID page read. With meta entries ("<meta name=\"...\">", "<meta mac=\"...\">")
// name and mac come from them, the mac empty when its entry is missing; without, the name
// is the raw text between "<body>" and "</body>" and the mac is not touched.
struct ProductIdReading {
  bool hasMeta = false;
  QString name;
  QString mac;
};
ProductIdReading ReadProductIdPage(const QString& page);

// The text between "<title>" and "</title>"; empty for none or a "File Not Found" title.
QString ReadPageTitle(const QString& page);

}  // namespace velmaro
