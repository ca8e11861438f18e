// velmaro-cli identify HOST...: the list's "Refresh" on a row for each host: its MAC and
// manufacturer, then its name from its web pages.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "identify/ArpTable.h"
#include "scan/ClassPingBase.h"
#include "support/Tunables.h"

namespace velmaro::cli {

int RunIdentify(const Options& options) {
  Session session(options);
  session.load();
  MainForm& form = session.form();
  if (options.fast) {
    form.fastRefresh(options.hosts);
    return session.finish(ScanOutcome::Completed);
  }
  ResultList& list = form.lstIPs();
  for (const QString& host : options.hosts) {
    // In the window a refresh follows a sweep, whose echoes taught the system the host's
    // link address and whose enrichment loaded the neighbour table. A fresh process has
    // had neither: one echo, then the table read afresh. A host that does not answer keeps
    // "---".
    ClassPingBase(session.root().platform(), session.root().clock())
        .PingHostSingle(host, tunables::kSingleTimeoutMs);
    form.arpTable().ARP_LoadTable();
    const RowId row = list.append(host);
    list.setTag(row, host);
    list.select(row);
    form.mnuIPRefresh_Click();
  }
  return session.finish(ScanOutcome::Completed);
}

}  // namespace velmaro::cli
