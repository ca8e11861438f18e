#include "form/MainForm.h"

#include "form/BroadcastDiscovery.h"
#include "form/Controls.h"
#include "form/FastSweep.h"
#include "form/PingSweep.h"
#include "form/RowMac.h"
#include "form/RowName.h"
#include "form/SweepEnrichment.h"
#include "identify/ArpTable.h"
#include "identify/HttpFetch.h"
#include "identify/Manufacturer.h"
#include "netinfo/LocalIPs.h"
#include "support/Events.h"
#include "support/Numbers.h"
#include "support/StepTrap.h"
#include "support/Version.h"

namespace velmaro {

MainForm::MainForm(Controls& controls, UserNotice& notice, ErrorReporter& log,
                   const AppPaths& paths, const Clock& clock, platform::Platform& platform)
    : m_controls(controls),
      m_arp(std::make_unique<ArpTable>(log, platform, clock)),
      m_oui(std::make_unique<OuiFile>(log, paths)),
      m_context{controls, notice, m_list, log, paths, clock, platform, *m_arp, *m_oui, m_sLocalIP},
      m_sweep(std::make_unique<PingSweep>(m_context)),
      m_broadcast(std::make_unique<BroadcastDiscovery>(m_context)),
      m_http(std::make_unique<HttpFetch>(log, clock, platform, m_sweep->randomGenerator())) {
  m_sweep->setEnrichment([this](StepTrap& trap) { RunSweepEnrichment(m_context, trap, *m_http); });
}

MainForm::~MainForm() = default;

void MainForm::setSweepStepObserver(std::function<void(int line)> observer) {
  m_sweep->setStepObserver(std::move(observer));
}

void MainForm::Form_Load() {
  StepTrap trap(m_context.log, QStringLiteral("Form_Load"), Container::Form);
  // Lines 20 to 80: the scan prefix starts from the host's own address.
  QStringList addresses;
  trap.step(20, [&] { addresses = GetLocalIPs(m_context.platform); });
  const auto preset = ChooseNetworkPrefix(addresses);
  if (preset) {
    trap.step(40, [&] { m_sLocalIP = preset->localIP; });
    for (int i = 0; i < 3; ++i) {
      trap.step(70, [&] {
        const QString& part = preset->octets[static_cast<size_t>(i)];
        if (!part.isEmpty())
          m_controls.setText(static_cast<TextBox>(static_cast<int>(TextBox::IP0) + i), part);
      });
    }
  }
  trap.step(100, [&] { m_controls.setTitle(windowTitle()); });
  trap.step(110, [&] { m_controls.setWindowSizeLimits(true); });
}

void MainForm::Form_QueryUnload() {
  m_controls.setWindowSizeLimits(false);
  // A sweep or a wait still on the stack must end now and never outlive the window.
  AbortAllWaits();
}

void MainForm::txtHTTPPort_Validate() {
  m_controls.setText(TextBox::HTTPPort, ValidatedPortText(m_controls.text(TextBox::HTTPPort)));
}

void MainForm::lstIPs_ColumnClick(int position) {
  StepTrap trap(m_context.log, QStringLiteral("lstIPs_ColumnClick"), Container::Form);
  if (!trap.test(20, [&] { return m_controls.idle(); })) return;
  if (trap.test(40, [&] { return position - 1 != m_list.sortColumn(); })) {
    trap.step(50, [&] { m_list.setSortColumn(position - 1); });
    trap.step(60, [&] { m_list.setSortAscending(true); });
  } else if (trap.test(80, [&] { return m_list.sortAscending(); })) {
    trap.step(90, [&] { m_list.setSortAscending(false); });
  } else {
    trap.step(110, [&] { m_list.setSortAscending(true); });
  }
  trap.step(140, [&] { m_list.setSortedMode(true); });
}

void MainForm::lstIPs_DblClick() {
  const auto row = m_list.selected();
  if (!row || !m_controls.idle()) return;
  const QString address =
      BrowserAddress(m_list.text(*row), m_list.cell(*row, m_list.GetColumnIndex(u"httpport")));
  // Whether a browser opened is not looked at: nothing is reported either way.
  if (!address.isEmpty()) m_controls.openUrl(address);
}

bool MainForm::lstIPs_MouseDown(int button, std::optional<RowId> rowUnderPointer) {
  if (button != 2 || !m_controls.idle()) return false;
  if (!rowUnderPointer || !m_list.exists(*rowUnderPointer)) return false;
  m_list.select(*rowUnderPointer);
  return true;
}

void MainForm::mnuIPLoadBrowser_Click() { lstIPs_DblClick(); }

void MainForm::mnuIPRefresh_Click() {
  const auto row = m_list.selected();
  if (!row) return;
  PopulateItemMAC(m_context, *row);
  PopulateItemName(m_context, *m_http, *row, true, true);
}

ScanOutcome MainForm::cmdScanPing_Click() { return m_sweep->cmdScanPing_Click(); }

ScanOutcome MainForm::fastSweep(const FastSweepRequest& request) {
  return RunFastSweep(m_context, *m_sweep, *m_http, request);
}

void MainForm::fastRefresh(const QStringList& hosts) { RunFastRefresh(m_context, *m_http, hosts); }

ScanOutcome MainForm::cmdScanBroadcast_Click() { return m_broadcast->cmdScanBroadcast_Click(); }

QString ValidatedPortText(const QString& text) {
  QString t = text;
  if (!IsPlainNumber(t)) t = QStringLiteral("80");
  if (LeadingNumber(t) > 65535) t = QStringLiteral("65535");
  if (LeadingNumber(t) == 0) t = QStringLiteral("1");
  if (RoundHalfEven(LeadingNumber(t)) < 1) t = QStringLiteral("1");
  return t;
}

QString BrowserAddress(const QString& host, const QString& portCell) {
  // Two slashes: with backslashes after "http:" the text is no web address to a browser.
  const QString address = QStringLiteral("http://") + host;
  const double port = RoundHalfEven(LeadingNumber(portCell));
  if (port == 0 || port == 80) return address;
  // The cell goes into the address as it is, so it must be nothing but a port: text after
  // the number (a path, "@other-host", blanks) would steer the browser somewhere else.
  bool digits = !portCell.isEmpty() && portCell.size() <= 5;
  for (QChar c : portCell) digits = digits && c >= u'0' && c <= u'9';
  if (!digits || port > 65535) return {};
  return address + u':' + portCell;
}

}  // namespace velmaro
