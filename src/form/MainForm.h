// The main window's procedures, without the widgets: start-up, the port check, the result
// list's header click, browser opening and popup menu, and the two scans. The window and
// the command line front end both drive this one object.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

#include "form/FormContext.h"
#include "form/ResultList.h"
#include "form/ScanOutcome.h"

namespace velmaro {

class ArpTable;
class BroadcastDiscovery;
class HttpFetch;
class OuiFile;
class PingSweep;
struct FastSweepRequest;

class MainForm final : public QObject {
  Q_OBJECT

 public:
  MainForm(Controls& controls, UserNotice& notice, ErrorReporter& log, const AppPaths& paths,
           const Clock& clock, platform::Platform& platform);
  ~MainForm() override;

  ResultList& lstIPs() { return m_list; }
  const QString& localIP() const { return m_sLocalIP; }

  void Form_Load();
  void Form_QueryUnload();
  void txtHTTPPort_Validate();

  void lstIPs_ColumnClick(int position);  // header position, from 1
  void lstIPs_DblClick();
  // A button went down over the list. `rowUnderPointer` is the row hit, if any. Returns
  // true when the popup menu is to be shown (the row is then selected).
  bool lstIPs_MouseDown(int button, std::optional<RowId> rowUnderPointer);
  void mnuIPLoadBrowser_Click();
  // Re-reads the selected row: MAC and manufacturer, then its name from both kinds of page.
  void mnuIPRefresh_Click();

  // Both report how they ended; the window ignores it, the command line turns it into
  // its exit status.
  ScanOutcome cmdScanPing_Click();
  ScanOutcome cmdScanBroadcast_Click();

  // PING's rows without the window's waits, every host named while the sweep goes on; and
  // "Refresh" for several hosts at once. The command line's fast mode (FastSweep.h).
  ScanOutcome fastSweep(const FastSweepRequest& request);
  void fastRefresh(const QStringList& hosts);

  // The neighbour table the refresh looks MACs up in, as the last sweep left it.
  ArpTable& arpTable() { return *m_arp; }

  // The data module's page reader, for procedures only the command line runs.
  HttpFetch& pageReader() { return *m_http; }

  // Told the line of each step of cmdScanPing_Click as it starts: where a sweep spends its
  // time, for measurements. Changes nothing the sweep does.
  void setSweepStepObserver(std::function<void(int line)> observer);

  // What the procedures share, for those only the command line runs (the query on every
  // card, the doctor): they fill this list with the same rows.
  FormContext& context() { return m_context; }

 private:
  Controls& m_controls;
  ResultList m_list;
  QString m_sLocalIP;
  std::unique_ptr<ArpTable> m_arp;
  std::unique_ptr<OuiFile> m_oui;
  FormContext m_context;
  std::unique_ptr<PingSweep> m_sweep;
  std::unique_ptr<BroadcastDiscovery> m_broadcast;
  std::unique_ptr<HttpFetch> m_http;  // the data module's page reader
};

// The port box after its three rules, and one more: a value that rounds below 1 becomes
// "1", since every reader of the box takes it as a port.
QString ValidatedPortText(const QString& text);

// The web address of a row: "http://" + host, then ":" + the port cell unless its leading
// number rounds to 0 or 80. Empty (nothing to open) when such a cell is not a port from 1
// to 65535 written in digits alone.
QString BrowserAddress(const QString& host, const QString& portCell);

}  // namespace velmaro
