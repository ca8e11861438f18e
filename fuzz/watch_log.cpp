// The files velmaro-cli diff compares: a watch log or a result, whatever a user points it
// at. Input: the older file, NUL, the newer one; the whole input is also read as a log.
#include "FuzzCheck.h"
#include "cli/HostDiff.h"
#include "cli/WatchLog.h"
#include "support/Ipv4Text.h"
#include "support/PrintableText.h"
#include "support/Tunables.h"

namespace {

using namespace velmaro;

// The hosts of a file, or nothing when it is refused as one printable line.
std::optional<std::vector<cli::RowRecord>> hostsOf(QByteArrayView file, bool log) {
  const auto parsed = log ? cli::ParseWatchLog(file) : cli::ParseHostFile(file);
  if (const auto* error = std::get_if<QString>(&parsed)) {
    FUZZ_CHECK(!error->isEmpty());
    FUZZ_CHECK(*error == PrintableText(*error));
    return std::nullopt;
  }
  const auto& rows = std::get<std::vector<cli::RowRecord>>(parsed);
  FUZZ_CHECK(rows.size() <= static_cast<size_t>(tunables::kMaxResultRows));
  for (const cli::RowRecord& row : rows) FUZZ_CHECK(ParseDottedAddress(row.cells[0]).has_value());
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  hostsOf(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), true);
  const QByteArrayView older = input.field();
  const QByteArrayView newer = input.rest();
  const auto a = hostsOf(older, false);
  const auto b = hostsOf(newer, false);
  if (a) FUZZ_CHECK(cli::CompareHosts(*a, *a).empty());  // a list is the same as itself
  if (a && b) {
    size_t added = 0;
    size_t removed = 0;
    for (const cli::HostChange& change : cli::CompareHosts(*a, *b)) {
      added += change.kind == cli::HostChangeKind::Added;
      removed += change.kind == cli::HostChangeKind::Removed;
    }
    FUZZ_CHECK(added <= b->size() && removed <= a->size());
  }
  return 0;
}
