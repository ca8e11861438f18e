// velmaro-cli doctor: why a scan finds nothing, one line per check. Reads the system's
// state only; with --probe it also sends one query per card, as scan --all-interfaces does.
#include "cli/Commands.h"
#include "cli/Formats.h"
#include "cli/Session.h"
#include "form/Doctor.h"

namespace velmaro::cli {

int RunDoctorCommand(const Options& options) {
  Session session(options);
  FormContext& form = session.form().context();
  std::optional<std::vector<CardProbe>> probes;
  if (options.probe) probes = ProbeReplies(form, options.listenMs);
  const std::vector<DoctorLine> lines = RunDoctor(form, probes);
  PrintOut(options.format->doctor(lines));
  return AnyBlocking(lines) ? kExitNetworkUnusable : kExitCompleted;
}

}  // namespace velmaro::cli
