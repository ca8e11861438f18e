#include "cli/HostDiff.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "support/Ipv4Text.h"

namespace velmaro::cli {
namespace {

using RowRefs = std::vector<const RowRecord*>;
using Pair = std::pair<const RowRecord*, const RowRecord*>;

// Rows left without a partner, by address.
using Unpaired = std::multimap<QString, const RowRecord*>;

// Pairs the rows at equal addresses; what is left of one side stays in `olds`, `news`.
void pairByAddress(Unpaired& olds, Unpaired& news, std::vector<Pair>& pairs,
                   bool (*pairable)(const RowRecord&, const RowRecord&)) {
  for (auto o = olds.begin(); o != olds.end();) {
    const auto [first, last] = news.equal_range(o->first);
    const auto n = std::find_if(
        first, last, [&](const auto& entry) { return pairable(*o->second, *entry.second); });
    if (n == last) {
      ++o;
      continue;
    }
    pairs.emplace_back(o->second, n->second);
    news.erase(n);
    o = olds.erase(o);
  }
}

bool anyRows(const RowRecord&, const RowRecord&) { return true; }

// A MAC that only one side knows (the neighbour table missed the host once) is no reason
// to take one host for two.
bool oneMacUnknown(const RowRecord& a, const RowRecord& b) {
  return MacKey(a.cells[kMacCell]).isEmpty() != MacKey(b.cells[kMacCell]).isEmpty();
}

HostChange changeOf(HostChangeKind kind, const RowRecord& row, QString before = {},
                    QString after = {}) {
  return {kind,
          row.cells[kIpCell],
          row.cells[kMacCell],
          row.cells[kMfgCell],
          row.cells[kNameCell],
          std::move(before),
          std::move(after)};
}

}  // namespace

QString changeKey(HostChangeKind kind) {
  switch (kind) {
    case HostChangeKind::Added:
      return QStringLiteral("added");
    case HostChangeKind::Removed:
      return QStringLiteral("removed");
    case HostChangeKind::Moved:
      return QStringLiteral("moved");
    case HostChangeKind::Renamed:
      return QStringLiteral("renamed");
    case HostChangeKind::Maker:
      break;
  }
  return QStringLiteral("maker");
}

std::vector<HostChange> CompareHosts(const std::vector<RowRecord>& older,
                                     const std::vector<RowRecord>& newer) {
  std::map<QString, std::pair<Unpaired, Unpaired>> hosts;
  // A host's rows at one address are one row: a unit that answered the query twice.
  const auto add = [](Unpaired& side, const RowRecord& row) {
    if (!side.contains(row.cells[kIpCell])) side.emplace(row.cells[kIpCell], &row);
  };
  for (const RowRecord& row : older)
    add(hosts[HostKey(row.cells[kMacCell], row.cells[kIpCell])].first, row);
  for (const RowRecord& row : newer)
    add(hosts[HostKey(row.cells[kMacCell], row.cells[kIpCell])].second, row);

  std::vector<Pair> pairs;
  Unpaired removed;
  Unpaired added;
  for (auto& [key, sides] : hosts) {
    auto& [olds, news] = sides;
    pairByAddress(olds, news, pairs, anyRows);
    if (olds.size() == 1 && news.size() == 1) {
      pairs.emplace_back(olds.begin()->second, news.begin()->second);
      continue;
    }
    removed.merge(olds);
    added.merge(news);
  }
  pairByAddress(removed, added, pairs, oneMacUnknown);

  std::vector<HostChange> changes;
  for (const auto& [then, today] : pairs) {
    for (const auto& [kind, cell] : {std::pair{HostChangeKind::Moved, kIpCell},
                                     {HostChangeKind::Renamed, kNameCell},
                                     {HostChangeKind::Maker, kMfgCell}}) {
      if (then->cells[cell] != today->cells[cell])
        changes.push_back(changeOf(kind, *today, then->cells[cell], today->cells[cell]));
    }
  }
  for (const auto& entry : removed)
    changes.push_back(changeOf(HostChangeKind::Removed, *entry.second));
  for (const auto& entry : added) changes.push_back(changeOf(HostChangeKind::Added, *entry.second));

  const auto order = [](const HostChange& c) {
    return std::make_tuple(ParseDottedAddress(c.ip).value_or(0xFFFF'FFFFu), c.ip,
                           static_cast<int>(c.kind), MacKey(c.mac), c.mac, c.name);
  };
  std::sort(changes.begin(), changes.end(),
            [&](const HostChange& a, const HostChange& b) { return order(a) < order(b); });
  return changes;
}

}  // namespace velmaro::cli
