// velmaro-cli scan: the "SCAN" button, then the replies collected for a while; or, with
// --all-interfaces, the query on every card with each reply tagged with its card.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "form/InterfaceBroadcast.h"
#include "support/VbError.h"
#include "support/Wait.h"

namespace velmaro::cli {
namespace {

// Cards where the query could not go out are named on standard error; the run fails only
// when it went out on none.
ScanOutcome outcomeOf(const std::vector<CardProbe>& cards) {
  bool sent = false;
  bool portHeld = false;
  for (const CardProbe& card : cards) {
    if (!card.failure) {
      sent = true;
      continue;
    }
    portHeld = portHeld || card.failure->number == err::addressInUse().number;
    PrintError(QStringLiteral("%1: %2 (error %3); no query there")
                   .arg(card.interfaceName, card.failure->description,
                        QString::number(card.failure->number)));
  }
  if (sent) return ScanOutcome::Completed;
  return portHeld ? ScanOutcome::ReplyPortHeld : ScanOutcome::QueryNotSent;
}

}  // namespace

int RunScan(const Options& options) {
  Session session(options);
  session.load();
  if (options.allInterfaces) {
    InterfaceBroadcast everyCard(session.form().context());
    everyCard.start();
    const ScanOutcome outcome = outcomeOf(everyCard.cards());
    if (outcome == ScanOutcome::Completed) TimedWait(options.listenMs);
    everyCard.stop();
    return session.finish(outcome, &everyCard);
  }
  const ScanOutcome outcome = session.form().cmdScanBroadcast_Click();
  // The window never stops listening; the command line listens as long as it was told,
  // with the replies handled as they arrive.
  if (outcome == ScanOutcome::Completed) TimedWait(options.listenMs);
  return session.finish(outcome);
}

}  // namespace velmaro::cli
