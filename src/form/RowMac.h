// Filling a result row's MAC and manufacturer cells: from the neighbour table for other
// hosts, from the host's own adapter for the "LOCALHOST" row.
#pragma once

#include "form/ResultList.h"

namespace velmaro {

struct FormContext;

// Fills the "mac" and "mfg" cells of `row`. The "LOCALHOST" row gets its adapter's MAC
// and the vendor-prefix file's manufacturer; any other row the neighbour table's MAC (an
// existing "mac" cell is kept) and the manufacturer of that MAC, or "---" in both cells
// when its address is not in the table. Failures, a vanished row among them, are reported
// as procedure "PopulateItemMAC" of the window, and the filling goes on.
void PopulateItemMAC(FormContext& form, RowId row);

}  // namespace velmaro
