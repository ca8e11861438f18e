// Addresses claimed by more than one host in one run: units fresh from the factory share
// one default address, and a unit brought from another site may keep one already taken.
// A pure function over the finished records, so every way of making rows is covered.
#pragma once

#include <QStringList>
#include <vector>

#include "cli/Rows.h"

namespace velmaro::cli {

// Sets each record's `conflict` to the MACs (as their rows show them, each once, in list
// order) of the other rows that hold its address with a different MAC; clears it on every
// other record. A row without a MAC ("", "---") conflicts with nothing: an unknown MAC is
// not a different one. Rows of a scan on every card clash only with rows of their own card.
void MarkConflicts(std::vector<RowRecord>& rows);

// One line per contested address, in list order, for standard error: "ADDRESS is claimed
// by N hosts: MAC, MAC" ("ADDRESS on CARD" for rows of a scan on every card).
QStringList ConflictLines(const std::vector<RowRecord>& rows);

}  // namespace velmaro::cli
