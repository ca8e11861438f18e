// Filling a result row's MAC and manufacturer cells: from the neighbour table for other
// hosts, from the host's own adapter for the "LOCALHOST" row.
#pragma once

#include <QByteArray>
#include <QString>

#include "app/ResultList.h"

namespace velmaro {

struct FormContext;
namespace platform {
class Platform;
}

// A hardware address as MAC text: each byte as two upper-case hexadecimal digits, joined
// by "-" ("00-0A-2B-01-80-01"); empty for no bytes.
QString MacText(const QByteArray& hardwareAddress);

// The MAC text of the host's own adapter: the one carrying `localIP`, or the adapter
// listed last when none carries it; empty when there is no adapter list or no adapter.
// The loopback interface is not an adapter.
QString GetLocalMAC(platform::Platform& platform, const QString& localIP);

// Fills the "mac" and "mfg" cells of `row`. The "LOCALHOST" row gets its adapter's MAC
// and the vendor-prefix file's manufacturer; any other row the neighbour table's MAC (an
// existing "mac" cell is kept) and the manufacturer of that MAC, or "---" in both cells
// when its address is not in the table. Failures, a vanished row among them, are reported
// as procedure "PopulateItemMAC" of the window, and the filling goes on.
void PopulateItemMAC(FormContext& form, RowId row);

}  // namespace velmaro
