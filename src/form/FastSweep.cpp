#include "form/FastSweep.h"

#include <deque>
#include <map>
#include <set>

#include "form/Controls.h"
#include "form/PingSweep.h"
#include "form/ResultList.h"
#include "form/RowMac.h"
#include "form/RowName.h"
#include "form/SweepEnrichment.h"
#include "identify/ArpTable.h"
#include "identify/HttpFetch.h"
#include "platform/Platform.h"
#include "scan/EchoAddress.h"
#include "scan/EchoStream.h"
#include "scan/ScanRange.h"
#include "support/Events.h"
#include "support/Ipv4Text.h"
#include "support/StepTrap.h"
#include "support/UserNotice.h"

namespace velmaro {
namespace {

constexpr int kPingLine = 540;  // as in the click: everything the echoes cause

// A host's pages as they were fetched, handed to the name procedure in place of the network.
class FetchedPages final : public PageSource {
 public:
  void add(const QString& page, const FetchedPage& got) { m_pages[page] = got; }
  FetchedPage fetchPage(const QString&, quint16, const QString& page, const QString&,
                        qint32) override {
    const auto found = m_pages.find(page);
    return found == m_pages.end() ? FetchedPage{} : found->second;
  }

 private:
  std::map<QString, FetchedPage> m_pages;
};

// Gives rows their MAC, manufacturer and name as their hosts become ready, many hosts at
// once, each host's pages one after another in the name procedure's order.
class Enrichment final : public QObject {
 public:
  enum class Mode {
    Sweep,    // the sweep's enrichment: only what a row still lacks
    Refresh,  // the list's "Refresh": MAC and both kinds of page for every row
  };

  Enrichment(FormContext& form, HttpFetch& http, Mode mode)
      : m_form(form),
        m_http(http),
        m_mode(mode),
        m_readMac(mode == Mode::Refresh || form.controls.value(CheckBox::ParseARP) == 1),
        m_productId(mode == Mode::Refresh || form.controls.value(CheckBox::ParseNVIDs) == 1),
        m_genericId(mode == Mode::Refresh || form.controls.value(CheckBox::ParseGenIDs) == 1) {
    // A box that cannot be read fails every page request, here as in the name procedure.
    try {
      m_settings = ReadPageRequestSettings(form.controls);
    } catch (...) {
      m_settings.reset();
    }
  }

  // The row's host has answered (or, refreshing, its echo has ended): its neighbour entry
  // now, its pages from now on. A host not in the table yet waits for the last reading.
  void hostReady(RowId row) {
    ResultList& list = m_form.list;
    if (!list.exists(row)) return;
    if (m_readMac && (m_mode == Mode::Refresh || WantsMac(list, row))) {
      m_form.arp.loadNow();
      const bool known = list.cell(row, list.GetColumnIndex(u"name")) == u"LOCALHOST" ||
                         !m_form.arp.ARP_GetMACByIP(list.text(row)).isEmpty();
      if (!known) {
        // Its MAC before its name, as the sweep's enrichment does: both at the end.
        m_waitingForMac.push_back(row);
        return;
      }
      PopulateItemMAC(m_form, row);
    }
    m_macRead.insert(row.value);
    queueName(row);
  }

  // Every echo has ended: the pages still coming are waited for, the neighbour table read
  // once more for the rows without a MAC, and those rows named.
  void finish() {
    drain();
    ResultList& list = m_form.list;
    if (m_readMac) m_form.arp.loadNow();
    if (m_mode == Mode::Refresh) {
      for (RowId row : m_waitingForMac) {
        if (!list.exists(row)) continue;
        PopulateItemMAC(m_form, row);
        queueName(row);
      }
    } else {
      // Every row, in list order, as the sweep's enrichment walks them.
      for (int position = 1; position <= list.count(); ++position) {
        const RowId row = list.rowAt(position);
        // A row done already keeps what its pages set, a product page's empty MAC included.
        if (m_readMac && !m_macRead.contains(row.value) && WantsMac(list, row))
          PopulateItemMAC(m_form, row);
        if (!m_named.contains(row.value)) queueName(row);
      }
    }
    m_waitingForMac.clear();
    drain();
  }

 private:
  struct Job {
    RowId row;
    std::vector<NamePage> pages;
    size_t next = 0;
    FetchedPages got;
    std::unique_ptr<PendingPage> pending;
  };

  void queueName(RowId row) {
    if (m_mode == Mode::Sweep && !WantsName(m_form.list, row)) return;
    m_named.insert(row.value);
    m_queue.push_back(row);
    startQueued();
  }

  void startQueued() {
    while (!m_queue.empty() && m_jobs.size() < size_t(tunables::kFastPageConnections)) {
      const RowId row = m_queue.front();
      m_queue.pop_front();
      Job& job = m_jobs[row.value];
      job.row = row;
      job.pages = NamePages(m_productId, m_genericId);
      fetchNext(job);
    }
  }

  // The next page of the job, or its name once a page gave text or none is left.
  void fetchNext(Job& job) {
    ResultList& list = m_form.list;
    if (job.next < job.pages.size() && m_settings && list.exists(job.row) && !WaitsAborted()) {
      const NamePage& page = job.pages[job.next];
      const quint64 key = job.row.value;
      job.pending = m_http.startPage(list.tag(job.row), m_settings->port, page.page, page.required,
                                     m_settings->timeoutMs, [this, key](const FetchedPage& got) {
                                       Job& done = m_jobs.at(key);
                                       const NamePage& asked = done.pages[done.next++];
                                       done.got.add(asked.page, got);
                                       if (!UsablePageText(asked, got).isEmpty())
                                         done.next = done.pages.size();
                                       // The request that called this is let go from the loop, not
                                       // from inside itself.
                                       QMetaObject::invokeMethod(
                                           this, [this, key] { fetchNext(m_jobs.at(key)); },
                                           Qt::QueuedConnection);
                                     });
      return;
    }
    job.pending.reset();
    PopulateItemName(m_form, job.got, job.row, m_productId, m_genericId);
    m_jobs.erase(job.row.value);
    startQueued();
    if (m_jobs.empty() && m_queue.empty() && m_wait) m_wait->end();
  }

  // Handles events until every queued and started page has been read.
  void drain() {
    if (m_jobs.empty() && m_queue.empty()) return;
    WaitLoop wait;
    m_wait = &wait;
    wait.run();
    m_wait = nullptr;
  }

  FormContext& m_form;
  HttpFetch& m_http;
  Mode m_mode;
  bool m_readMac;
  bool m_productId;
  bool m_genericId;
  std::optional<PageRequestSettings> m_settings;
  std::deque<RowId> m_queue;
  std::map<quint64, Job> m_jobs;
  std::set<quint64> m_named;    // rows whose pages were asked for
  std::set<quint64> m_macRead;  // rows whose MAC was read when their host answered
  std::vector<RowId> m_waitingForMac;
  WaitLoop* m_wait = nullptr;
};

// The addresses the range and prefix boxes give, as the sweep reads them; nothing for a
// range the sweep refuses. A prefix that makes no address to send to gives no address.
std::optional<TargetList> rangeBoxTargets(const Controls& controls) {
  const auto bounds = SplitScanRange(controls.text(TextBox::IPScan));
  if (!bounds) return std::nullopt;
  const quint8 first = ScanBound(bounds->first);
  const quint8 last = ScanBound(bounds->second);
  if (last < first) return std::nullopt;
  auto address = [&](quint8 octet) {
    return EchoAddressFromText(ScanAddressText(controls.text(TextBox::IP0),
                                               controls.text(TextBox::IP1),
                                               controls.text(TextBox::IP2), octet));
  };
  const auto from = address(first);
  const auto to = address(last);
  if (!from || !to) return TargetList{};
  return TargetList{{{*from, *to}}};
}

// Runs the echoes to the end, handing every answer and miss to `report`.
void runEchoes(std::unique_ptr<platform::EchoSocket> socket, const Clock& clock,
               EchoStream::Next next, EchoStream::Settings settings, EchoStream::Report report) {
  EchoStream stream(std::move(socket), clock, std::move(next), std::move(settings),
                    std::move(report));
  WaitLoop wait;
  stream.start([&wait] { wait.end(); });
  wait.run();
  stream.stop();
}

}  // namespace

ScanOutcome RunFastSweep(FormContext& form, PingSweep& sweep, HttpFetch& http,
                         const FastSweepRequest& request) {
  StepTrap trap(form.log, QStringLiteral("cmdScanPing_Click"), Container::Form);
  Controls& controls = form.controls;

  std::optional<TargetList> targets = request.targets;
  if (!targets)
    targets =
        trap.value(20, std::optional<TargetList>(), [&] { return rangeBoxTargets(controls); });
  if (!targets) {
    trap.step(100, [&] { form.notice.showInformation(ScanRangeMessage()); });
    return ScanOutcome::BadRange;
  }
  std::optional<qint32> hostTimeoutMs;
  trap.step(520, [&] {
    controls.setText(TextBox::PingTO, PingTimeoutText(controls.text(TextBox::PingTO)));
  });
  trap.step(525, [&] { hostTimeoutMs = PingLimitsFor(controls.text(TextBox::PingTO), 1).hostMs; });
  if (!hostTimeoutMs) return ScanOutcome::TimeoutTooLarge;

  sweep.prepareList(trap);
  trap.step(510, [&] {
    controls.setStatus(QStringLiteral("Pinging %1 addresses. Please wait.").arg(targets->count()));
  });
  trap.step(550, [&] {
    sweep.randomGenerator().seed(quint32(form.clock.localNow().toMSecsSinceEpoch()));
  });

  platform::EchoOpenResult opened;
  if (targets->count() > 0 && !WaitsAborted()) opened = form.platform.openEchoSocket();
  if (targets->count() > 0 && !opened.socket) {
    sweep.m_clsPingBase_EchoUnavailable(opened.error, opened.permissionDenied);
    return opened.permissionDenied ? ScanOutcome::EchoNotPermitted : ScanOutcome::NoEchoSocket;
  }

  Enrichment enrichment(form, http, Enrichment::Mode::Sweep);
  EchoStream::Settings settings;
  settings.data = QByteArray(tunables::kListEchoData);
  settings.hostTimeoutMs = *hostTimeoutMs;
  settings.ratePerSecond = request.ratePerSecond;
  settings.burst = tunables::kEchoBurst;
  TargetCursor cursor(*targets);
  trap.step(kPingLine, [&] {
    runEchoes(
        std::move(opened.socket), form.clock, [&cursor] { return cursor.next(); },
        std::move(settings),
        [&](quint32 address, qint32 status) {
          const QString text = DottedAddress(address);
          if (status < 0) return sweep.m_clsPingBase_PingFail(text, -1, 0);
          sweep.m_clsPingBase_PingSuccess(text, status, 0);
          if (const auto row = form.list.findByText(text)) enrichment.hostReady(*row);
        });
  });
  // Lines 560 to 790 of the click, without its waits.
  trap.step(700, [&] { enrichment.finish(); });
  return ScanOutcome::Completed;
}

void RunFastRefresh(FormContext& form, HttpFetch& http, const QStringList& hosts) {
  ResultList& list = form.list;
  std::multimap<quint32, RowId> waiting;  // rows whose echo has not ended yet
  std::vector<std::optional<quint32>> destinations;
  for (const QString& host : hosts) {
    const RowId row = list.append(host);
    list.setTag(row, host);
    const auto address = EchoAddressFromText(host);
    destinations.push_back(address);
    if (address) waiting.emplace(*address, row);
  }
  Enrichment enrichment(form, http, Enrichment::Mode::Refresh);
  // A host that cannot be pinged is refreshed straight away, as after a missed echo.
  for (int position = 1; position <= list.count(); ++position) {
    if (!destinations[size_t(position - 1)]) enrichment.hostReady(list.rowAt(position));
  }
  EchoStream::Settings settings;
  settings.data = QByteArray(tunables::kSingleEchoData);
  settings.hostTimeoutMs = tunables::kSingleTimeoutMs;
  settings.ratePerSecond = tunables::kMaxEchoRate;
  settings.burst = qint32(waiting.size());
  auto next = waiting.begin();
  runEchoes(
      WaitsAborted() ? nullptr : form.platform.openEchoSocket().socket, form.clock,
      [&]() -> std::optional<quint32> {
        if (next == waiting.end()) return std::nullopt;
        return (next++)->first;
      },
      std::move(settings),
      [&](quint32 address, qint32) {
        const auto found = waiting.find(address);
        if (found == waiting.end()) return;
        const RowId row = found->second;
        waiting.erase(found);
        enrichment.hostReady(row);
      });
  enrichment.finish();
}

}  // namespace velmaro
