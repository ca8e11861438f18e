// velmaro-cli scan: the "SCAN" button, then the replies collected for a while.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "support/Wait.h"

namespace velmaro::cli {

int RunScan(const Options& options) {
  Session session(options);
  session.load();
  const ScanOutcome outcome = session.form().cmdScanBroadcast_Click();
  // The window never stops listening; the command line listens as long as it was told,
  // with the replies handled as they arrive.
  if (outcome == ScanOutcome::Completed) TimedWait(options.listenMs);
  return session.finish(outcome);
}

}  // namespace velmaro::cli
