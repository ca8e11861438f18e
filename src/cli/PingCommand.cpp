// velmaro-cli ping: the "PING" button over a fresh list, or with --update-from over an
// earlier result with "Update Only" checked.
#include <QFile>

#include "cli/Commands.h"
#include "cli/Formats.h"
#include "cli/Session.h"
#include "form/FastSweep.h"
#include "support/Tunables.h"

namespace velmaro::cli {
namespace {

// The earlier result's rows, or why they cannot be read.
std::variant<std::vector<RowRecord>, QString> readResult(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return file.errorString();
  // One byte past the limit tells a file that is too large from one that just fits.
  return ParseJsonRows(file.read(tunables::kMaxResultFileBytes + 1));
}

}  // namespace

int RunPing(const Options& options) {
  Session session(options);
  if (!options.updateFrom.isEmpty()) {
    const auto earlier = readResult(options.updateFrom);
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
