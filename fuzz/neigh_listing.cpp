// The system's neighbour listing (iproute2's "ip -4 neigh show", the kernel's /proc/net/arp
// the fast sweep reads, and Windows' "arp -a") converted into the layout the table reads: whatever
// comes in, every line that comes out is well formed, and every line written as usable is
// taken by the table's own reader.
#include "FuzzCheck.h"
#include "identify/ArpTable.h"
#include "platform/linux/LinuxBackends.h"
#include "platform/linux/ProcFacts.h"
#include "platform/windows/ArpListing.h"
#include "support/ByteLines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro;
  fuzz::Input input(data, size);
  const QByteArray listing = input.rest().toByteArray();
  qsizetype inputLines = 0;
  for (ByteLines lines(listing); !lines.atEnd(); lines.next()) ++inputLines;
  for (const QByteArray& converted : {platform::linux_backend::convertArpListing(listing),
                                      platform::linux_backend::convertProcArp(listing),
                                      platform::windows_backend::convertArpListing(listing)}) {
    FUZZ_CHECK(converted.isEmpty() || converted.endsWith("\r\n"));
    qsizetype outputLines = 0;
    for (ByteLines lines(converted); !lines.atEnd();) {
      const QString line = QString::fromLatin1(lines.next());
      ++outputLines;
      const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
      FUZZ_CHECK(fields.size() == 3);
      const bool invalid = fields[2] == u"invalid";
      FUZZ_CHECK(invalid || fields[2] == u"dynamic" || fields[2] == u"static");
      const std::optional<ArpEntry> entry = ParseArpLine(line);
      FUZZ_CHECK(entry.has_value() == !invalid);
      if (entry) FUZZ_CHECK(entry->ip == fields[0] && entry->mac == fields[1]);
    }
    FUZZ_CHECK(outputLines <= inputLines);
  }
  return 0;
}
