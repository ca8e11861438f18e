// HTTP_ParseToken over any page and any pair of markers. Input: the page, the start
// marker and the end marker, separated by NULs, as Latin-1 (how pages are read).
#include "FuzzCheck.h"
#include "identify/HttpFetch.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro;
  fuzz::Input input(data, size);
  const QString page = QString::fromLatin1(input.field());
  const QString start = QString::fromLatin1(input.field());
  const QString end = QString::fromLatin1(input.field());
  const QString token = HTTP_ParseToken(page, start, end);
  if (token.isEmpty()) return 0;
  // The token is the page's own text, right after the first start marker and up to the
  // first end marker after it.
  const qsizetype at = page.indexOf(start);
  FUZZ_CHECK(at >= 0);
  const qsizetype tokenStart = at + start.size();
  FUZZ_CHECK(QStringView(page).mid(tokenStart, token.size()) == token);
  FUZZ_CHECK(QStringView(page).mid(tokenStart + token.size()).startsWith(end));
  if (!end.isEmpty()) FUZZ_CHECK(!token.contains(end));
  FUZZ_CHECK(token.compare(u"file not found", Qt::CaseInsensitive) != 0);
  return 0;
}
