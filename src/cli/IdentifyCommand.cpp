// velmaro-cli identify HOST: the list's "Refresh" on a row for one host: its MAC and
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
  // In the window a refresh follows a sweep, whose echoes taught the system the host's
  // link address and whose enrichment loaded the neighbour table. A fresh process has had
  // neither: one echo, then the table read afresh. A host that does not answer keeps "---".
  ClassPingBase(session.root().platform(), session.root().clock())
      .PingHostSingle(options.host, tunables::kSingleTimeoutMs);
  form.arpTable().ARP_LoadTable();

  ResultList& list = form.lstIPs();
  const RowId row = list.append(options.host);
  list.setTag(row, options.host);
  list.select(row);
  form.mnuIPRefresh_Click();
  return session.finish(ScanOutcome::Completed);
}

}  // namespace velmaro::cli
