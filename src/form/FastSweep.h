// The fast sweep of the command line: PING's rows, with every host given its MAC,
// manufacturer and name while the sweep still waits for the silent addresses, by the same
// procedures the window's enrichment runs; no settle and no pauses. Also the list's
// "Refresh" for several hosts at once.
#pragma once

#include <QStringList>
#include <optional>

#include "form/FormContext.h"
#include "form/ScanOutcome.h"
#include "scan/TargetList.h"
#include "support/Tunables.h"

namespace velmaro {

class PageSource;
class HttpFetch;
class PingSweep;

struct FastSweepRequest {
  std::optional<TargetList> targets;  // unset: the range and prefix boxes, as PING reads them
  qint32 ratePerSecond = tunables::kDefaultEchoRate;  // echo requests after the first burst
};

// The rows PING would give for the same addresses and boxes (the list updated with "Update
// Only" checked, the order that of the answers), each host's neighbour entry read the
// moment its echo answers (an entry not complete yet is read once more at the end), its
// pages fetched meanwhile, up to kFastPageConnections hosts at once. Reported as procedure
// "cmdScanPing_Click" of the window, its lines where it does what the click does.
ScanOutcome RunFastSweep(FormContext& form, PingSweep& sweep, HttpFetch& http,
                         const FastSweepRequest& request);

// The list's "Refresh" for each host, one row each in the order given: one echo to every
// host at once, then each host's MAC, manufacturer and name (both kinds of page) as soon as
// its echo has answered or missed.
void RunFastRefresh(FormContext& form, HttpFetch& http, const QStringList& hosts);

}  // namespace velmaro
