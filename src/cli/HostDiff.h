// Two lists of hosts compared, as a site's last visit against today: who came, who went,
// who moved to another address, was renamed or shows another manufacturer. A pure
// function over records.
#pragma once

#include <QString>
#include <vector>

#include "cli/Rows.h"

namespace velmaro::cli {

enum class HostChangeKind { Added, Removed, Moved, Renamed, Maker };

// "added", "removed", "moved", "renamed", "maker".
QString changeKey(HostChangeKind kind);

struct HostChange {
  HostChangeKind kind = HostChangeKind::Added;
  // The host as the newer list shows it (the older one for a removed host).
  QString ip;
  QString mac;
  QString mfg;
  QString name;
  // The value that changed, before and after: addresses, names or manufacturers. Empty
  // for an added or removed host.
  QString before;
  QString after;
  friend bool operator==(const HostChange&, const HostChange&) = default;
};

// A host is its MAC; rows without a MAC are their address. Where one MAC holds several
// addresses (a router answering for others), its rows pair by address, and a single one
// left on each side is the host moved. A row whose MAC only one side knows pairs with the
// row at the same address on the other side. Changes come in address order (the newer
// address for a moved host), a host's in the order of HostChangeKind.
std::vector<HostChange> CompareHosts(const std::vector<RowRecord>& older,
                                     const std::vector<RowRecord>& newer);

}  // namespace velmaro::cli
