// velmaro-cli diff: two results of scan or ping, or watch logs, compared host by host, with
// the exit status of diff(1). Reads files only: nothing is sent.
#include "cli/Commands.h"
#include "cli/HostDiff.h"
#include "cli/Session.h"
#include "cli/WatchLog.h"

namespace velmaro::cli {

int RunDiff(const Options& options) {
  std::vector<RowRecord> sides[2];
  for (int i = 0; i < 2; ++i) {
    ReadRows read = ReadRowsFile(options.files[i], ParseHostFile);
    if (const auto* error = std::get_if<QString>(&read)) {
      PrintError(QStringLiteral("%1: %2").arg(options.files[i], *error));
      return kExitUsage;
    }
    sides[i] = std::get<std::vector<RowRecord>>(std::move(read));
  }
  const std::vector<HostChange> changes = CompareHosts(sides[0], sides[1]);
  PrintOut(options.format->diff(changes));
  return changes.empty() ? kExitCompleted : kExitDifferent;
}

}  // namespace velmaro::cli
