// The command line's address lists as a user can type them: whatever the text, the parser
// ends with a list within its limits or a reason, and the list walks every address once.
// Input: the text, as UTF-8.
#include "FuzzCheck.h"
#include "scan/TargetList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro;
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const auto parsed = ParseTargets(text);
  if (const auto* error = std::get_if<QString>(&parsed)) {
    FUZZ_CHECK(!error->isEmpty());
    return 0;
  }
  const TargetList& list = std::get<TargetList>(parsed);
  FUZZ_CHECK(text.size() <= kMaxTargetsText);
  FUZZ_CHECK(list.count() >= 1 && list.count() <= kMaxTargets);
  // Ascending and apart: no address twice, none multicast or reserved.
  for (size_t i = 0; i < list.ranges.size(); ++i) {
    FUZZ_CHECK(list.ranges[i].first <= list.ranges[i].last);
    FUZZ_CHECK(list.ranges[i].last < 0xE000'0000u && list.ranges[i].first >= 0x0100'0000u);
    if (i > 0) FUZZ_CHECK(quint64(list.ranges[i - 1].last) + 1 < list.ranges[i].first);
  }
  TargetCursor cursor(list);
  quint32 walked = 0;
  std::optional<quint32> previous;
  while (const auto address = cursor.next()) {
    FUZZ_CHECK(!previous || *previous < *address);
    previous = address;
    ++walked;
  }
  FUZZ_CHECK(walked == list.count());
  return 0;
}
