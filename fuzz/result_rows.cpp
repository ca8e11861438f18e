// An earlier JSON result given to ping --update-from: whatever file a user points it at.
// Input: the file's bytes.
#include "FuzzCheck.h"
#include "cli/Formats.h"
#include "support/Ipv4Text.h"
#include "support/PrintableText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro;
  fuzz::Input input(data, size);
  const auto parsed = cli::ParseJsonRows(input.rest());
  if (const auto* error = std::get_if<QString>(&parsed)) {
    // One printable line: it goes to standard error as it is.
    FUZZ_CHECK(!error->isEmpty());
    FUZZ_CHECK(*error == PrintableText(*error));
    return 0;
  }
  const auto& rows = std::get<std::vector<cli::RowRecord>>(parsed);
  for (const cli::RowRecord& row : rows) {
    // The name stage requests the address: only one the program itself writes.
    const auto address = ParseDottedAddress(row.cells[0]);
    FUZZ_CHECK(address && DottedAddress(*address) == row.cells[0]);
  }
  // What the program writes it reads back unchanged.
  const auto again = cli::ParseJsonRows(cli::FormatJson(rows).toUtf8());
  FUZZ_CHECK(std::holds_alternative<std::vector<cli::RowRecord>>(again));
  FUZZ_CHECK(std::get<std::vector<cli::RowRecord>>(again) == rows);
  return 0;
}
