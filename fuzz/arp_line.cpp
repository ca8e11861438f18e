// Lines of a captured neighbour listing as the table reads them.
#include "FuzzCheck.h"
#include "identify/ArpTable.h"
#include "support/ByteLines.h"
#include "support/Tunables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro;
  fuzz::Input input(data, size);
  for (ByteLines lines(input.rest()); !lines.atEnd();) {
    const QString line = QString::fromLatin1(lines.next());
    const std::optional<ArpEntry> entry = ParseArpLine(line);
    if (!entry) continue;
    FUZZ_CHECK(line.size() <= tunables::kMaxArpLine);
    FUZZ_CHECK(entry->ip.count(u'.') == 3);
    FUZZ_CHECK(entry->mac.count(u'-') == 5);
    for (const QString* field : {&entry->ip, &entry->mac}) {
      FUZZ_CHECK(!field->isEmpty());
      FUZZ_CHECK(!field->contains(u' '));
      FUZZ_CHECK(line.contains(*field));
    }
  }
  return 0;
}
