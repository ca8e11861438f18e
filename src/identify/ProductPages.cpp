#include "identify/ProductPages.h"

#include "identify/HttpFetch.h"

namespace velmaro {

ProductIdReading ReadProductIdPage(const QString& page) {
  ProductIdReading reading;
  // Any "<meta" with something before its "=" marks the newer page layout.
  reading.hasMeta = !HTTP_ParseToken(page, QStringLiteral("<meta"), QStringLiteral("=")).isEmpty();
  if (reading.hasMeta) {
    const QString quote = QStringLiteral("\"");
    reading.name = HTTP_ParseToken(page, QStringLiteral("<meta name=\""), quote);
    reading.mac = HTTP_ParseToken(page, QStringLiteral("<meta mac=\""), quote);
  } else {
    reading.name = HTTP_ParseToken(page, QStringLiteral("<body>"), QStringLiteral("</body>"));
  }
  return reading;
}

QString ReadPageTitle(const QString& page) {
  return HTTP_ParseToken(page, QStringLiteral("<title>"), QStringLiteral("</title>"));
}

}  // namespace velmaro
