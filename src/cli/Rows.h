// The result list as the command line prints and reads it: one record per row, in list
// order, with exactly the cell texts the window shows and the row's change mark.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
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

// The cells a record's readers name: address, MAC, manufacturer, title.
inline constexpr size_t kIpCell = 0;
inline constexpr size_t kMacCell = 3;
inline constexpr size_t kMfgCell = 4;
inline constexpr size_t kNameCell = 5;

struct RowRecord {
  std::array<QString, ResultList::kColumnCount> cells;  // "ip" first, then the five cells
  QString icon;                                         // "", "add" or "remove"
  std::optional<ReplyCard> card;                        // rows of a scan on every card
  EvidenceSet seen;                                     // what answered for the row
  // The MACs of the other rows that hold this row's address, as those rows show them;
  // empty when no other host claims it (see MarkConflicts).
  QStringList conflict;
  friend bool operator==(const RowRecord&, const RowRecord&) = default;
};

// A MAC as a key: its twelve hex digits in upper case, whatever separates them ("-", ":",
// "." or nothing); empty for a cell that holds no MAC ("", "---", anything else).
QString MacKey(QStringView mac);

// A host's identity across lists and events: its MAC key, or its address when it shows no MAC.
QString HostKey(QStringView mac, const QString& ip);

std::vector<RowRecord> RowsOf(const ResultList& list);

// The same, each row with the card its reply came in on.
std::vector<RowRecord> RowsOf(const ResultList& list, const InterfaceBroadcast& scan);

// Appends the records as rows, each with its address as its tag and its evidence, as the
// scans write them.
void AppendRows(ResultList& list, const std::vector<RowRecord>& rows);

}  // namespace velmaro::cli
