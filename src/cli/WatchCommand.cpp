// velmaro-cli watch: the LAN followed until Ctrl-C or SIGTERM, one line per event.
#include <QCoreApplication>

#include "cli/Commands.h"
#include "cli/Session.h"
#include "cli/WatchLines.h"
#include "form/Watch.h"
#include "platform/Platform.h"
#include "support/Clock.h"

namespace velmaro::cli {

int RunWatch(const Options& options) {
  Session session(options);
  session.load();
  const bool jsonLines = options.jsonLines;
  Watch watch(session.form(), {options.intervalS, options.allInterfaces},
              [jsonLines](const WatchEvent& event) {
                PrintOut(jsonLines ? WatchJsonLine(event) : WatchTableLine(event));
              });
  const Clock& clock = session.root().clock();
  const qint64 started = clock.monotonicMs();
  const std::unique_ptr<platform::StopRequests> stops =
      session.root().platform().watchStopRequests();
  const ScanOutcome outcome = watch.start();
  if (outcome != ScanOutcome::Completed) return session.finish(outcome);
  if (stops) {
    QObject::connect(stops.get(), &platform::StopRequests::requested, &watch, [&] {
      watch.stop();
      PrintError(WatchSummary(watch.table().totals(), (clock.monotonicMs() - started) / 1000));
      QCoreApplication::exit(kExitCompleted);
    });
  }
  QCoreApplication::exec();
  return kExitCompleted;
}

}  // namespace velmaro::cli
