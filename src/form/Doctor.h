// "Why do I see nothing?": the field diagnostics over the same platform and folders the
// procedures use. Reads the system's state; sends the query only when asked to probe.
#pragma once

#include <optional>
#include <vector>

#include "form/FormContext.h"
#include "netinfo/NetworkChecks.h"
#include "support/DoctorLine.h"

namespace velmaro {

// One query per card, `listenMilliseconds` of listening (the window's events are handled
// meanwhile), then the neighbour table's hosts per card. Sends on every card that is up:
// a front end calls it only when the user asked for it.
std::vector<CardProbe> ProbeReplies(FormContext& form, int listenMilliseconds);

// Every check in a fixed order, one line each; `probes` from ProbeReplies, or nothing when
// no query was sent.
std::vector<DoctorLine> RunDoctor(FormContext& form,
                                  const std::optional<std::vector<CardProbe>>& probes);

// True when a line says a scan cannot work until it is fixed.
bool AnyBlocking(const std::vector<DoctorLine>& lines);

}  // namespace velmaro
