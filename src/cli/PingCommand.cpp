// velmaro-cli ping: the "PING" button over a fresh list, or with --update-from over an
// earlier result with "Update Only" checked.
#include "cli/Commands.h"
#include "cli/Formats.h"
#include "cli/Session.h"
#include "form/FastSweep.h"
#include "support/Tunables.h"

namespace velmaro::cli {

int RunPing(const Options& options) {
  Session session(options);
  if (!options.updateFrom.isEmpty()) {
    const ReadRows earlier = ReadRowsFile(options.updateFrom, ParseJsonRows);
    if (const auto* error = std::get_if<QString>(&earlier)) {
      PrintError(QStringLiteral("--update-from %1: %2").arg(options.updateFrom, *error));
      return kExitUsage;
    }
    AppendRows(session.form().lstIPs(), std::get<std::vector<RowRecord>>(earlier));
  }
  session.load();
  if (options.fast) {
    FastSweepRequest request;
    request.targets = options.targets;
    request.ratePerSecond = options.rate.value_or(tunables::kDefaultEchoRate);
    return session.finish(session.form().fastSweep(request));
  }
  return session.finish(session.form().cmdScanPing_Click());
}

}  // namespace velmaro::cli
