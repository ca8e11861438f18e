// A watch's events as velmaro-cli prints them: one readable line, or one JSON object a line
// whose keys an earlier result's reader knows (ip, mac, mfg, name), so the last state of a
// host can be read back from a log. Pure functions over the events.
#pragma once

#include <QString>

#include "form/WatchTable.h"

namespace velmaro::cli {

// "2026-12-09T16:04:05.123Z": ISO 8601 in UTC to the millisecond.
QString WatchTime(const QDateTime& time);

// {"time": ..., "event": ..., "ip": ..., "mac": ..., "mfg": ..., "name": ...} with
// "previous_ip" for moved (and back at another address) and "macs" for conflict, then LF.
QString WatchJsonLine(const WatchEvent& event);

// time, event, address, MAC, maker and name in columns, what changed at the end, LF;
// control characters as "?".
QString WatchTableLine(const WatchEvent& event);

// The closing line on standard error: how long, how many hosts and events.
QString WatchSummary(const WatchTotals& totals, qint64 seconds);

}  // namespace velmaro::cli
