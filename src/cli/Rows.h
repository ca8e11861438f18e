// The result list as the command line prints and reads it: one record per row, in list
// order, with exactly the cell texts the window shows and the row's change mark.
#pragma once

#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "form/ResultList.h"

namespace velmaro {
class InterfaceBroadcast;
}

namespace velmaro::cli {

// The card a reply came in on, for the rows of a scan on every card.
struct ReplyCard {
  QString interfaceName;
  QString unreachable;  // the fix in one line when the PC cannot reach the unit, else empty
  friend bool operator==(const ReplyCard&, const ReplyCard&) = default;
};

struct RowRecord {
  std::array<QString, ResultList::kColumnCount> cells;  // "ip" first, then the five cells
  QString icon;                                         // "", "add" or "remove"
  std::optional<ReplyCard> card;                        // rows of a scan on every card
  friend bool operator==(const RowRecord&, const RowRecord&) = default;
};

std::vector<RowRecord> RowsOf(const ResultList& list);

// The same, each row with the card its reply came in on.
std::vector<RowRecord> RowsOf(const ResultList& list, const InterfaceBroadcast& scan);

// Appends the records as rows, each with its address as its tag, as the scans write them.
void AppendRows(ResultList& list, const std::vector<RowRecord>& rows);

}  // namespace velmaro::cli
