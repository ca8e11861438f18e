// The stage after a sweep's echoes: every row of the list gets its MAC and manufacturer
// from one fresh load of the neighbour table, and its name from the host's pages.
#pragma once

#include "form/FormContext.h"

namespace velmaro {

class HttpFetch;
class StepTrap;

// Lines 560 to 790 of the sweep, reported under the sweep's own trap.
void RunSweepEnrichment(FormContext& form, StepTrap& trap, HttpFetch& http);

}  // namespace velmaro
