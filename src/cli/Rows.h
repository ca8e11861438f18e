// The result list as the command line prints and reads it: one record per row, in list
// order, with exactly the cell texts the window shows and the row's change mark.
#pragma once

#include <QString>
#include <array>
#include <vector>

#include "form/ResultList.h"

namespace velmaro::cli {

struct RowRecord {
  std::array<QString, ResultList::kColumnCount> cells;  // "ip" first, then the five cells
  QString icon;                                          // "", "add" or "remove"
  friend bool operator==(const RowRecord&, const RowRecord&) = default;
};

std::vector<RowRecord> RowsOf(const ResultList& list);

// Appends the records as rows, each with its address as its tag, as the scans write them.
void AppendRows(ResultList& list, const std::vector<RowRecord>& rows);

}  // namespace velmaro::cli
