#include "form/PingSweep.h"

#include <algorithm>
#include <cmath>
#include <exception>

#include "form/Controls.h"
#include "form/ResultList.h"
#include "platform/Advice.h"
#include "scan/ClassPingBase.h"
#include "scan/ScanRange.h"
#include "support/AppPaths.h"
#include "support/ErrorLog.h"
#include "support/Events.h"
#include "support/Numbers.h"
#include "support/StepTrap.h"
#include "support/Tunables.h"
#include "support/UserNotice.h"
#include "support/VbError.h"

namespace velmaro {
namespace {

constexpr char16_t kProcedure[] = u"cmdScanPing_Click";
// The line of the engine call: everything the engine's events cause is reported there.
constexpr int kPingLine = 540;

QString pingText(qint32 milliseconds) {
  return QString::number(milliseconds) + QStringLiteral(" ms");
}

QString echoUnavailableText(const QString& reason, bool permissionDenied) {
  const QString why = reason.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(reason);
  if (!permissionDenied) {
    return QStringLiteral(
               "No address could be pinged: the system offers no ICMP echo socket"
               "%1.")
        .arg(why);
  }
  return QStringLiteral(
             "No address could be pinged: this system does not let the program send ICMP echo "
             "requests%1.\n\n%2")
      .arg(why, platform::EchoPermissionSteps(ProgramBesideThis(u"velmaro-cli")));
}

// Sets a flag for the lifetime of a scope.
class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : m_flag(flag) { m_flag = true; }
  ~ScopedFlag() { m_flag = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& m_flag;
};

}  // namespace

PingSweep::PingSweep(FormContext& form) : m_form(form) {}
PingSweep::~PingSweep() = default;

ScanOutcome PingSweep::cmdScanPing_Click() {
  // The button is disabled while a sweep runs; a click that still gets here (another front
  // end, a queued event) must not replace the engine that is running under it.
  if (m_sweeping) return ScanOutcome::Busy;
  ScopedFlag sweeping(m_sweeping);
  StepTrap trap(m_form.log, QString::fromUtf16(kProcedure), Container::Form);
  trap.setObserver(&m_stepObserver);
  m_trap = &trap;
  struct TrapReset {
    StepTrap*& trap;
    ~TrapReset() { trap = nullptr; }
  } trapReset{m_trap};
  Controls& controls = m_form.controls;

  // Lines 10 to 110: the range.
  std::optional<std::pair<QString, QString>> bounds;
  trap.step(20, [&] { bounds = SplitScanRange(controls.text(TextBox::IPScan)); });
  bool rangeUsable = bounds.has_value();
  if (rangeUsable) {
    // A bound that fails keeps its old value; the range is still refused rather than
    // sweeping whatever the previous sweep left behind.
    const bool firstRead = trap.value(70, false, [&] {
      m_byScanFirst = ScanBound(bounds->first);
      return true;
    });
    const bool lastRead = trap.value(80, false, [&] {
      m_byScanLast = ScanBound(bounds->second);
      return true;
    });
    rangeUsable = firstRead && lastRead && m_byScanLast >= m_byScanFirst;
  }
  if (!rangeUsable) {
    trap.step(100, [&] { m_form.notice.showInformation(ScanRangeMessage()); });
    return ScanOutcome::BadRange;
  }

  trap.step(130, [&] { controls.setBusyCursor(true); });
  trap.step(140, [&] { controls.showScanningPanel(); });
  trap.step(200, [&] { controls.setStatus(QStringLiteral("Initializing scan. Please wait.")); });
  trap.step(210, [&] { controls.setIdle(false); });
  trap.step(220, [&] { m_byScanNext = m_byScanFirst; });

  prepareList(trap);

  trap.step(320, [&] { m_clsPingBase.reset(); });
  trap.step(330, [&] { newEngine(); });
  m_echoUnavailable = false;
  m_echoNotPermitted = false;

  const QStringList addresses = buildAddressList(trap);
  const auto count = addresses.size();

  trap.step(510, [&] {
    controls.setStatus(QStringLiteral("Pinging %1 addresses. Please wait.").arg(count));
  });
  trap.step(520, [&] {
    controls.setText(TextBox::PingTO, PingTimeoutText(controls.text(TextBox::PingTO)));
  });
  trap.step(530, [&] {
    if (!m_clsPingBase) throw err::objectNotSet();
    m_clsPingBase->setNumParalellActions(tunables::kSweepParallel);
  });
  bool limitsFit = false;  // the time-out gave limits the engine can count
  trap.step(kPingLine, [&] {
    const PingLimits limits = PingLimitsFor(controls.text(TextBox::PingTO), count);
    limitsFit = true;
    if (!m_clsPingBase) throw err::objectNotSet();
    if (addresses.isEmpty() || WaitsAborted()) return;
    m_clsPingBase->PingHostList(addresses, limits.hostMs, limits.allMs);
  });

  trap.step(550, [&] {
    m_random.seed(static_cast<quint32>(m_form.clock.localNow().toMSecsSinceEpoch()));
  });
  // Lines 560 to 790. A window that is closing gets no enrichment: it would only wait.
  if (m_enrichment && !WaitsAborted()) m_enrichment(trap);

  trap.step(800, [&] { m_byScanNext = m_byScanFirst; });
  trap.step(810, [&] { controls.setIdle(true); });
  trap.step(820, [&] { controls.hideScanningPanel(); });
  trap.step(830, [&] { controls.setBusyCursor(false); });

  if (!limitsFit) return ScanOutcome::TimeoutTooLarge;
  if (m_echoUnavailable) {
    return m_echoNotPermitted ? ScanOutcome::EchoNotPermitted : ScanOutcome::NoEchoSocket;
  }
  return ScanOutcome::Completed;
}

// Lines 230 to 310: keep the rows and forget their ping times, or start afresh.
void PingSweep::prepareList(StepTrap& trap) {
  Controls& controls = m_form.controls;
  ResultList& list = m_form.list;
  if (trap.test(230, [&] { return controls.value(CheckBox::UpdateOnly) == 1; })) {
    if (trap.test(240, [&] { return list.count() > 0; })) {
      const int rows = trap.value(250, 0, [&] { return list.count(); });
      for (int i = 1; i <= rows; ++i) {
        trap.step(260, [&] {
          const RowId row = list.rowAt(i);
          list.setCell(row, list.GetColumnIndex(u"ping"), {});
          // An earlier sweep's echo goes with its time; this sweep's answer sets it again.
          EvidenceSet evidence = list.evidence(row);
          evidence.remove(Evidence::Echo);
          list.setEvidence(row, evidence);
        });
      }
    }
  } else {
    trap.step(300, [&] { list.clear(); });
  }
}

void PingSweep::newEngine() {
  m_clsPingBase = std::make_unique<ClassPingBase>(m_form.platform, m_form.clock);
  ClassPingBase* engine = m_clsPingBase.get();
  // The events arrive from inside PingHostList, on this thread, and must be handled there.
  connect(engine, &ClassPingBase::PingSuccess, this, &PingSweep::m_clsPingBase_PingSuccess,
          Qt::DirectConnection);
  connect(engine, &ClassPingBase::PingFail, this, &PingSweep::m_clsPingBase_PingFail,
          Qt::DirectConnection);
  connect(engine, &ClassPingBase::EchoUnavailable, this, &PingSweep::m_clsPingBase_EchoUnavailable,
          Qt::DirectConnection);
}

// Lines 350 to 460: the addresses from the first bound to the last, the prefix boxes read
// afresh for each one, with the window's events handled between them.
QStringList PingSweep::buildAddressList(StepTrap& trap) {
  QStringList addresses;
  trap.step(350, [&] { m_byScanNext = m_byScanFirst; });
  const int count = int(m_byScanLast) - int(m_byScanFirst) + 1;
  addresses.reserve(count);
  for (int i = 0; i < count; ++i) {
    if (i > 0) {
      trap.step(420, [] { DoEvents(); });
      // The window is closing: nothing will be pinged, so stop building.
      if (WaitsAborted()) break;
    }
    trap.step(400, [&] { addresses.append(GetNextScanIP()); });
  }
  return addresses;
}

QString PingSweep::GetNextScanIP() {
  StepTrap trap(m_form.log, QStringLiteral("GetNextScanIP"), Container::Form);
  const Controls& controls = m_form.controls;
  QString address;
  trap.step(10, [&] {
    address = ScanAddressText(controls.text(TextBox::IP0), controls.text(TextBox::IP1),
                              controls.text(TextBox::IP2), m_byScanNext);
  });
  // After the last address the cursor stays there, so further calls repeat it.
  if (trap.test(20, [&] { return m_byScanNext != m_byScanLast; })) {
    trap.step(30, [&] { ++m_byScanNext; });
  }
  return address;
}

void PingSweep::m_clsPingBase_PingSuccess(const QString& sIPAddress, qint32 lNewStatus,
                                          qint32 /*ArrayIndex*/) {
  handlerStep([&] {
    ResultList& list = m_form.list;
    const bool update = m_form.controls.value(CheckBox::UpdateOnly) == 1;
    std::optional<RowId> row;
    if (update && list.count() > 0) {
      row = list.findByText(sIPAddress);
      if (row) list.setIcon(*row, RowIcon::None);
    }
    const int name = list.GetColumnIndex(u"name");
    if (!row) {
      row = list.append(sIPAddress);
      if (update) list.setIcon(*row, RowIcon::Add);
      list.setCell(*row, name, QStringLiteral("???"));
    }
    list.setTag(*row, sIPAddress);
    list.setCell(*row, list.GetColumnIndex(u"ping"), pingText(lNewStatus));
    list.addEvidence(*row, Evidence::Echo);
    if (sIPAddress == m_form.localIP) list.setCell(*row, name, QStringLiteral("LOCALHOST"));
  });
}

void PingSweep::m_clsPingBase_PingFail(const QString& sIPAddress, qint32 /*lNewStatus*/,
                                       qint32 /*ArrayIndex*/) {
  // Nothing was sent: a host we could not ask has not missed anything, and two such
  // sweeps must not empty the list.
  if (m_echoUnavailable) return;
  handlerStep([&] {
    ResultList& list = m_form.list;
    if (m_form.controls.value(CheckBox::UpdateOnly) != 1 || list.count() == 0) return;
    const auto row = list.findByText(sIPAddress);
    if (!row) return;
    if (list.icon(*row) == RowIcon::Remove) {
      list.remove(*row);
    } else {
      list.setCell(*row, list.GetColumnIndex(u"ping"), QStringLiteral("???"));
      list.setIcon(*row, RowIcon::Remove);
    }
  });
}

void PingSweep::m_clsPingBase_EchoUnavailable(const QString& reason, bool permissionDenied) {
  if (m_echoUnavailable) return;  // one report and one box per sweep
  m_echoUnavailable = true;
  m_echoNotPermitted = permissionDenied;
  handlerStep([&] {
    if (permissionDenied) throw VbError(70, QStringLiteral("Permission denied"));
    throw VbError(5, QStringLiteral("No ICMP echo socket: ") + reason);
  });
  m_form.notice.showInformation(echoUnavailableText(reason, permissionDenied));
}

void PingSweep::handlerStep(const std::function<void()>& body) {
  std::optional<StepTrap> own;
  if (!m_trap) own.emplace(m_form.log, QString::fromUtf16(kProcedure), Container::Form);
  StepTrap& trap = m_trap ? *m_trap : *own;
  // Nothing may leave a handler: the engine raises the events through Qt's signals.
  try {
    trap.step(kPingLine, body);
  } catch (const std::exception&) {
    trap.report(kPingLine, VbError(51, QStringLiteral("Internal error")));
  }
}

}  // namespace velmaro
