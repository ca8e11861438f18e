// The stage after a sweep's echoes: every row of the list gets its MAC and manufacturer
// from one fresh load of the neighbour table, and its name from the host's pages.
#pragma once

#include "form/FormContext.h"
#include "form/ResultList.h"

namespace velmaro {

class PageSource;
class StepTrap;

// A row whose MAC cell holds no complete MAC.
bool WantsMac(const ResultList& list, RowId row);
// A row still to be named: its name reads "???" and it answered the sweep's echo.
bool WantsName(const ResultList& list, RowId row);

// Lines 560 to 790 of the sweep, reported under the sweep's own trap.
void RunSweepEnrichment(FormContext& form, StepTrap& trap, PageSource& http);

}  // namespace velmaro
