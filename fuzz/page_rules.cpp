// The identification rules over any page a host may send: the product-ID page's entries
// and a home page's title. Input: the page's bytes, read as Latin-1.
#include "FuzzCheck.h"
#include "identify/ProductPages.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro;
  fuzz::Input input(data, size);
  const QString page = QString::fromLatin1(input.rest());
  // What the rules give is always the page's own text, never more of it than there is.
  const ProductIdReading reading = ReadProductIdPage(page);
  FUZZ_CHECK(page.contains(reading.name));
  FUZZ_CHECK(page.contains(reading.mac));
  FUZZ_CHECK(reading.name.size() + reading.mac.size() <= page.size());
  if (!reading.hasMeta) FUZZ_CHECK(reading.mac.isEmpty());
  const QString title = ReadPageTitle(page);
  FUZZ_CHECK(page.contains(title));
  FUZZ_CHECK(title.compare(u"file not found", Qt::CaseInsensitive) != 0);
  return 0;
}
