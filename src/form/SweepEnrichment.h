// The stage after a sweep's echoes: every row of the list gets its MAC and manufacturer
// from one fresh load of the neighbour table, and its name from the host's pages.
#pragma once

#include <functional>

#include "form/FormContext.h"
#include "form/ResultList.h"

namespace velmaro {

class StepTrap;

// Fills one row's name from its web pages; flags: read the maker's ID page, read the
// generic home-page title. Not set while the pages are not read yet.
using NameProbe = std::function<void(RowId row, bool readProductId, bool readGenericId)>;

// Lines 560 to 790 of the sweep, reported under the sweep's own trap.
void RunSweepEnrichment(FormContext& form, StepTrap& trap, const NameProbe& probeName);

}  // namespace velmaro
