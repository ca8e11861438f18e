// velmaro-cli's command line, any words a user can type. Input: the arguments after the
// program's name, separated by NULs, as UTF-8.
#include "FuzzCheck.h"
#include "cli/Options.h"
#include "form/ControlDefaults.h"
#include "support/Tunables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace velmaro;
  fuzz::Input input(data, size);
  QStringList arguments;
  while (!input.atEnd()) arguments.append(QString::fromUtf8(input.field()));
  const auto parsed = cli::ParseOptions(arguments);
  if (const auto* error = std::get_if<cli::UsageError>(&parsed)) {
    // One line that says what is wrong.
    FUZZ_CHECK(!error->message.isEmpty());
    FUZZ_CHECK(!error->message.contains(u'\n'));
    return 0;
  }
  const auto& options = std::get<cli::Options>(parsed);
  FUZZ_CHECK(options.listenMs >= 0 && options.listenMs <= tunables::kMaxListenMs);
  FUZZ_CHECK(options.format != nullptr);
  // Every box gets no more than the window's box would hold; check boxes are 0 or 1.
  for (const auto& [box, text] : options.texts) {
    const int limit = MaxLength(box);
    FUZZ_CHECK(limit <= 0 || text.size() <= limit);
  }
  for (const auto& [box, value] : options.checks) FUZZ_CHECK(value == 0 || value == 1);
  return 0;
}
