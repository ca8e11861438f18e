#include "cli/Conflicts.h"

#include <algorithm>
#include <map>
#include <set>

namespace velmaro::cli {
namespace {

// The MACs that claim one address: each key once, with the text of its first row.
struct Claim {
  std::vector<QString> keys;
  QStringList texts;
};

// Where an address is claimed: on the LAN behind one card. Units with one factory address
// behind two cards of a scan on every card are on two LANs and clash with nothing.
QString placeOf(const RowRecord& row) {
  if (!row.card) return row.cells[kIpCell];
  return row.cells[kIpCell] + QStringLiteral(" on ") + row.card->interfaceName;
}

std::map<QString, Claim> claimsOf(const std::vector<RowRecord>& rows) {
  std::map<QString, Claim> claims;
  for (const RowRecord& row : rows) {
    const QString key = MacKey(row.cells[kMacCell]);
    if (key.isEmpty()) continue;
    Claim& claim = claims[placeOf(row)];
    if (std::find(claim.keys.begin(), claim.keys.end(), key) != claim.keys.end()) continue;
    claim.keys.push_back(key);
    claim.texts.append(row.cells[kMacCell]);
  }
  return claims;
}

}  // namespace

void MarkConflicts(std::vector<RowRecord>& rows) {
  const std::map<QString, Claim> claims = claimsOf(rows);
  for (RowRecord& row : rows) {
    row.conflict.clear();
    const QString key = MacKey(row.cells[kMacCell]);
    const auto claim = claims.find(placeOf(row));
    if (key.isEmpty() || claim == claims.end()) continue;
    for (size_t i = 0; i < claim->second.keys.size(); ++i) {
      if (claim->second.keys[i] != key) row.conflict.append(claim->second.texts[i]);
    }
  }
}

QStringList ConflictLines(const std::vector<RowRecord>& rows) {
  const std::map<QString, Claim> claims = claimsOf(rows);
  QStringList lines;
  std::set<QString> told;
  for (const RowRecord& row : rows) {
    const QString place = placeOf(row);
    const auto claim = claims.find(place);
    if (claim == claims.end() || claim->second.keys.size() < 2 || !told.insert(place).second)
      continue;
    lines.append(QStringLiteral("%1 is claimed by %2 hosts: %3")
                     .arg(place, QString::number(claim->second.keys.size()),
                          claim->second.texts.join(QStringLiteral(", "))));
  }
  return lines;
}

}  // namespace velmaro::cli
