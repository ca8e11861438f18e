// The real window, offscreen, as a technician drives it:
//
//   window_bench click [--runs N]                  a whole PING click of the lab's /24, phase
//                                                  by phase, and the longest stall (lab only)
//   window_bench scan --stamps FILE [--units N] [--runs N]
//                                                  SCAN answered by scan_units: last reply to
//                                                  last row on screen, longest stall (lab only)
//   window_bench list                              10,000 rows inserted and sorted in the view
//   window_bench startup [--runs N] [--cli PATH]   first paint, idle memory, velmaro-cli --version
//
// Each prints RESULT lines for bench/run's table.
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "BenchSupport.h"
#include "form/MainForm.h"
#include "form/ResultList.h"
#include "support/AppPaths.h"
#include "support/ErrorLog.h"
#include "support/LabLayout.h"
#include "support/Tunables.h"
#include "ui/LabWindow.h"
#include "ui/ResultView.h"
#include "ui/frmMain.h"

namespace velmaro::bench {
namespace {

// The window as the lab's window suites build it (its files in a folder of its own, the
// vendor file shipped beside this program as the install's copy, failures kept in memory:
// a benchmark that made the program report failures measured something else), drawn once
// before anything is measured: the first paint belongs to start-up.
using test::RunUntil;
struct Window : test::LabWindow {
  Window() {
    RunUntil([] { return false; }, 300);
  }
  QPushButton& button(const char* name) const {
    return *window->findChild<QPushButton*>(QLatin1String(name));
  }
  ResultList& list() const { return window->form().lstIPs(); }
};

// Times of paint events of one window's widgets.
class PaintWatch final : public QObject {
 public:
  explicit PaintWatch(QWidget* window) : m_window(window) { qApp->installEventFilter(this); }
  ~PaintWatch() override { qApp->removeEventFilter(this); }
  std::vector<qint64> paints;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == m_window)
      paints.push_back(MonotonicNs());
    return false;
  }

 private:
  QWidget* m_window;
};

double ms(qint64 ns) { return double(ns) / 1e6; }

// --- A whole PING click ------------------------------------------------------------------

// Where the sweep is, by the line of the step that starts it.
struct ClickTimes {
  std::vector<std::pair<int, qint64>> steps;  // line, time
  double totalMs = 0;
  double stallMs = 0;
  int stallLine = 0;  // the step running when the longest stall ended
  int rows = 0;
  // The time from the first start of `from` to the first start of `to` after it.
  double between(int from, int to) const {
    qint64 a = -1;
    for (const auto& [line, at] : steps) {
      if (a < 0 && line == from)
        a = at;
      else if (a >= 0 && line == to)
        return ms(at - a);
    }
    return -1;
  }
  // Every run of `line`, up to the next step, in the order they ran.
  QList<double> each(int line) const {
    QList<double> out;
    for (size_t i = 0; i + 1 < steps.size(); ++i) {
      if (steps[i].first == line) out << ms(steps[i + 1].second - steps[i].second);
    }
    return out;
  }
};

// A page request's time-out: half the time-out box, 500 by default.
constexpr int kPageTimeoutMs = 250;

ClickTimes OneClick() {
  Window w;
  ClickTimes times;
  w.window->form().setSweepStepObserver(
      [&](int line) { times.steps.emplace_back(line, MonotonicNs()); });
  StallWatch watch;
  watch.start();
  const qint64 begin = MonotonicNs();
  w.button("cmdScanPing").click();
  times.totalMs = ms(MonotonicNs() - begin);
  watch.stop();
  times.stallMs = watch.longestMs();
  for (const auto& [line, at] : times.steps) {
    if (at <= watch.longestEndNs()) times.stallLine = line;
  }
  times.rows = w.list().count();
  for (const QString& report : w.log.reports)
    std::fprintf(stderr, "window_bench: the window reported: %s\n", qPrintable(report));
  return times;
}

int Click(int runs) {
  RequireLabOrExit("window_bench click");
  // What the listing command alone takes, measured between the clicks.
  QList<double> ping, settle, arp, mac, macFirst, name, wait, total, stall, listing, rows, floors;
  int pageTimeOuts = 0;
  int macRows = 0;
  int nameRows = 0;
  int stallLine = 0;
  for (int run = 0; run < runs; ++run) {
    const ClickTimes t = OneClick();
    ping << t.between(540, 550);
    settle << t.between(580, 590);
    arp << t.between(590, 610);
    // Per row: the median row; the first MAC row also reads the vendor file.
    const QList<double> macs = t.each(640);
    const QList<double> names = t.each(700);
    mac << SpreadOf(macs.mid(1)).median;
    macFirst << macs.value(0);
    name << SpreadOf(names).median;
    // What the design makes the click wait at least: the request time-out of the echoes,
    // the settle, the listing's read pause, the pause per row, the pause before each page
    // request, and the page time-out of every probe that ran into it.
    double fixed = 1000 + tunables::kArpSettleMs + tunables::kArpReadPauseMs +
                   double(t.rows) * tunables::kPerRowWaitMs;
    int timedOut = 0;
    for (const double d : names) {
      fixed += tunables::kHttpSettleMs;
      if (d >= tunables::kHttpSettleMs + kPageTimeoutMs) {
        fixed += kPageTimeoutMs;
        ++timedOut;
      }
    }
    floors << fixed;
    pageTimeOuts = timedOut;
    wait << SpreadOf(t.each(760)).median;
    macRows = int(macs.size());
    nameRows = int(names.size());
    total << t.totalMs;
    stall << t.stallMs;
    if (t.stallMs >= SpreadOf(stall).worst) stallLine = t.stallLine;
    rows << t.rows;
    listing << RunChild({QStringLiteral("ip"), QStringLiteral("-4"), QStringLiteral("neigh"),
                         QStringLiteral("show")},
                        10000)
                   .wallMs;
  }
  const double rowCount = SpreadOf(rows).median;
  const QString note = QStringLiteral("median of %1 clicks, %2 rows").arg(runs).arg(rowCount);
  const QString design = QStringLiteral("fixed by design");
  Print({QStringLiteral("click_ping"), QStringLiteral("PING click: ping phase"),
         SpreadOf(ping).median, QStringLiteral("ms"), QStringLiteral("request time-out (design)"),
         1000, QStringLiteral("<= 1050 ms"), note});
  Print({QStringLiteral("click_settle"),
         QStringLiteral("PING click: settle before the ARP load"),
         SpreadOf(settle).median,
         QStringLiteral("ms"),
         QStringLiteral("2000 ms settle (design)"),
         double(tunables::kArpSettleMs),
         {},
         design});
  Print({QStringLiteral("click_arp"),
         QStringLiteral("PING click: ARP load"),
         SpreadOf(arp).median,
         QStringLiteral("ms"),
         QStringLiteral("ip -4 neigh show alone + 200 ms read pause (design)"),
         SpreadOf(listing).median + tunables::kArpReadPauseMs,
         {},
         note});
  Print({QStringLiteral("click_mac"),
         QStringLiteral("PING click: MAC and manufacturer, per row"),
         SpreadOf(mac).median,
         QStringLiteral("ms"),
         {},
         -1,
         {},
         QStringLiteral("%1 rows; the first, which reads the vendor file: %2 ms")
             .arg(macRows)
             .arg(SpreadOf(macFirst).median, 0, 'f', 1)});
  Print({QStringLiteral("click_name"),
         QStringLiteral("PING click: name, per row probed"),
         SpreadOf(name).median,
         QStringLiteral("ms"),
         QStringLiteral("50 ms pause before the page request (design)"),
         double(tunables::kHttpSettleMs),
         {},
         QStringLiteral("%1 rows probed, %2 of them waited out the page time-out of %3 ms (design)")
             .arg(nameRows)
             .arg(pageTimeOuts)
             .arg(kPageTimeoutMs)});
  Print({QStringLiteral("click_wait"),
         QStringLiteral("PING click: wait per row"),
         SpreadOf(wait).median,
         QStringLiteral("ms"),
         QStringLiteral("50 ms per row (design)"),
         double(tunables::kPerRowWaitMs),
         {},
         design});
  Print({QStringLiteral("click_total"),
         QStringLiteral("PING click: whole click"),
         SpreadOf(total).median,
         QStringLiteral("ms"),
         QStringLiteral("sum of the waits the design fixes"),
         SpreadOf(floors).median,
         {},
         QStringLiteral("%1; worst %2 ms").arg(note).arg(SpreadOf(total).worst, 0, 'f', 0)});
  Print(
      {QStringLiteral("click_stall"),
       QStringLiteral("PING click: longest event-loop stall"),
       SpreadOf(stall).worst,
       QStringLiteral("ms"),
       {},
       -1,
       QStringLiteral("< 50 ms"),
       QStringLiteral("worst of %1 clicks, during the step of line %2").arg(runs).arg(stallLine)});
  return 0;
}

// --- A SCAN answered by many units -------------------------------------------------------

QList<qint64> ReadStamps(const QString& path) {
  QList<qint64> out;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return out;
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (!line.isEmpty()) out << line.split(' ').value(0).toLongLong();
  }
  return out;
}

int Scan(const QString& stamps, int units, int runs) {
  RequireLabOrExit("window_bench scan");
  Window w;
  const int expected = units + 4;  // and the lab's four well-formed units
  QList<double> latency, stall, rowsSeen;
  int missed = 0;
  int unpainted = 0;
  for (int run = 0; run < runs; ++run) {
    const qsizetype stampsBefore = ReadStamps(stamps).size();
    qint64 lastInsert = 0;
    const auto inserted = QObject::connect(&w.list(), &QAbstractItemModel::rowsInserted, &w.list(),
                                           [&] { lastInsert = MonotonicNs(); });
    PaintWatch paints(w.window.get());
    StallWatch watch;
    watch.start();
    w.button("cmdScanBroadcast").click();
    const bool all = RunUntil([&] { return w.list().count() >= expected; }, 5000);
    RunUntil([&] { return ReadStamps(stamps).size() > stampsBefore; }, 2000);
    // Let the window draw what came last, and late replies show that they are late.
    RunUntil([] { return false; }, 300);
    watch.stop();
    QObject::disconnect(inserted);
    const QList<qint64> all_stamps = ReadStamps(stamps);
    if (!all || all_stamps.size() <= stampsBefore) {
      ++missed;
      continue;
    }
    qint64 shown = 0;
    for (const qint64 at : paints.paints) {
      if (at >= lastInsert) {
        shown = at;
        break;
      }
    }
    if (!shown) {
      ++unpainted;
      shown = lastInsert;
    }
    latency << ms(shown - all_stamps.last());
    stall << watch.longestMs();
    rowsSeen << w.list().count();
  }
  const QString note =
      QStringLiteral("%1 units over 100 ms; median of %2 scans, %3 rows; %4 scans short of rows%5")
          .arg(units)
          .arg(latency.size())
          .arg(SpreadOf(rowsSeen).median)
          .arg(missed)
          .arg(unpainted ? QStringLiteral("; %1 without a paint after the last row").arg(unpainted)
                         : QString());
  Print({QStringLiteral("scan_last_row"),
         QStringLiteral("SCAN of %1 units: last reply to last row on screen").arg(units),
         latency.isEmpty() ? -1 : SpreadOf(latency).median, QStringLiteral("ms"),
         QStringLiteral("target"), 100, QStringLiteral("< 100 ms"),
         note + QStringLiteral("; worst %1 ms").arg(SpreadOf(latency).worst, 0, 'f', 1)});
  Print({QStringLiteral("scan_stall"),
         QStringLiteral("SCAN of %1 units: longest event-loop stall").arg(units),
         stall.isEmpty() ? -1 : SpreadOf(stall).worst,
         QStringLiteral("ms"),
         {},
         -1,
         QStringLiteral("< 50 ms"),
         QStringLiteral("worst of %1 scans").arg(stall.size())});
  return 0;
}

// --- 10,000 rows in the real view --------------------------------------------------------

constexpr int kRows = 10000;
constexpr int kBatch = tunables::kMaxRepliesPerWake;  // answers handled per engine wake-up

QString address(int i) {
  return QStringLiteral("10.%1.%2.%3").arg(i / 65536).arg(i / 256 % 256).arg(i % 256);
}

struct ListTimes {
  double insertMs = 0;
  double insertStallMs = 0;
  double sortMs = 0;  // the header click to the list drawn again, worst of two
};

// Rows arrive in batches, as answers do, with the window's events between them; then two
// header clicks sort the list each way. `append` adds one row, `clickHeader` sorts.
ListTimes Drive(QWidget* window, const std::function<void(int)>& append,
                const std::function<void()>& clickHeader) {
  ListTimes t;
  PaintWatch paints(window);
  StallWatch watch;
  RunUntil([] { return false; }, 200);
  watch.start();
  const qint64 begin = MonotonicNs();
  for (int i = 0; i < kRows; i += kBatch) {
    for (int j = i; j < std::min(kRows, i + kBatch); ++j) append(j);
    QCoreApplication::processEvents();
  }
  RunUntil([] { return false; }, 50);
  t.insertMs = ms(MonotonicNs() - begin) - 50;
  watch.stop();
  t.insertStallMs = watch.longestMs();
  for (int click = 0; click < 2; ++click) {
    paints.paints.clear();
    const qint64 start = MonotonicNs();
    clickHeader();
    RunUntil([&] { return !paints.paints.empty(); }, 2000);
    t.sortMs = std::max(
        t.sortMs, ms((paints.paints.empty() ? MonotonicNs() : paints.paints.front()) - start));
  }
  return t;
}

int List() {
  ListTimes ours;
  {
    Window w;
    ResultList& list = w.list();
    const int ping = list.GetColumnIndex(u"ping");
    const int name = list.GetColumnIndex(u"name");
    QHeaderView* header = w.window->resultView().header();
    ours = Drive(
        w.window.get(),
        [&](int i) {
          const RowId row = list.append(address(i));
          list.setTag(row, address(i));
          list.setCell(row, ping, QString::number(i % 997) + QStringLiteral(" ms"));
          list.setCell(row, name, QStringLiteral("???"));
        },
        [&] { emit header->sectionClicked(ping); });
  }
  ListTimes plain;
  {
    // The reference: Qt's own item model in a plain tree view of the same size.
    QTreeView view;
    QStandardItemModel model(0, ResultList::kColumnCount);
    view.setModel(&model);
    view.setUniformRowHeights(true);
    view.setRootIsDecorated(false);
    view.setSortingEnabled(true);
    view.resize(600, 400);
    view.show();
    plain = Drive(
        &view,
        [&](int i) {
          QList<QStandardItem*> items;
          items << new QStandardItem(address(i)) << new QStandardItem
                << new QStandardItem(QString::number(i % 997) + QStringLiteral(" ms"))
                << new QStandardItem << new QStandardItem
                << new QStandardItem(QStringLiteral("???"));
          model.appendRow(items);
        },
        [&] {
          // What a click on the header does in a sorting view: the indicator flips, the
          // model sorts.
          const Qt::SortOrder next = view.header()->sortIndicatorOrder() == Qt::AscendingOrder
                                         ? Qt::DescendingOrder
                                         : Qt::AscendingOrder;
          view.header()->setSortIndicator(2, next);
        });
  }
  const QString ref = QStringLiteral("QStandardItemModel in a QTreeView");
  Print({QStringLiteral("list_insert"),
         QStringLiteral("Result list: 10,000 rows inserted in the view"),
         ours.insertMs,
         QStringLiteral("ms"),
         ref,
         plain.insertMs,
         {},
         QStringLiteral("batches of %1 rows with the window's events between").arg(kBatch)});
  Print({QStringLiteral("list_insert_stall"),
         QStringLiteral("Result list: longest stall while inserting"),
         ours.insertStallMs,
         QStringLiteral("ms"),
         ref,
         plain.insertStallMs,
         QStringLiteral("< 50 ms"),
         {}});
  Print({QStringLiteral("list_sort"),
         QStringLiteral("Result list: header click sorting 10,000 rows"), ours.sortMs,
         QStringLiteral("ms"), ref, plain.sortMs, QStringLiteral("< 50 ms"),
         QStringLiteral("click to the list drawn again (the stall), worst of two")});
  return 0;
}

// --- Start-up ----------------------------------------------------------------------------

// In a child: the window as the program's main builds it, or a bare widget of the same size;
// prints the time of its first paint, then its resident memory once it has idled.
int StartupChild(bool bare) {
  std::unique_ptr<QWidget> window;
  if (bare) {
    window = std::make_unique<QWidget>();
    window->resize(640, 480);
  } else {
    auto main = std::make_unique<frmMain>();
    main->Form_Load();
    window = std::move(main);
  }
  PaintWatch paints(window.get());
  window->show();
  RunUntil([&] { return !paints.paints.empty(); }, 10000);
  std::printf("PAINT %lld\n",
              static_cast<long long>(paints.paints.empty() ? 0 : paints.paints.front()));
  RunUntil([] { return false; }, 1000);
  std::printf("RSS %ld\n", RssKb());
  return 0;
}

std::pair<QList<double>, QList<double>> Startups(const QString& mode, int runs) {
  QList<double> paint, rss;
  for (int run = 0; run < runs; ++run) {
    const qint64 begin = MonotonicNs();
    const ChildRun child = RunChild({QCoreApplication::applicationFilePath(), mode}, 30000);
    for (const QByteArray& line : child.output.split('\n')) {
      if (line.startsWith("PAINT ")) paint << ms(line.mid(6).toLongLong() - begin);
      if (line.startsWith("RSS ")) rss << line.mid(4).toDouble();
    }
  }
  return {paint, rss};
}

int Startup(int runs, const QString& cli) {
  const auto [window, windowRss] = Startups(QStringLiteral("startup-child"), runs);
  const auto [bare, bareRss] = Startups(QStringLiteral("startup-bare"), runs);
  const QString ref = QStringLiteral("bare QWidget, same toolkit");
  const QString note = QStringLiteral("median of %1 starts, offscreen platform").arg(runs);
  Print({QStringLiteral("start_paint"),
         QStringLiteral("Start-up: window to first paint"),
         SpreadOf(window).median,
         QStringLiteral("ms"),
         ref,
         SpreadOf(bare).median,
         {},
         note});
  Print({QStringLiteral("start_rss"),
         QStringLiteral("Start-up: resident memory of the idle window"),
         SpreadOf(windowRss).median,
         QStringLiteral("KiB"),
         ref,
         SpreadOf(bareRss).median,
         {},
         note});
  QList<double> version, fping;
  for (int run = 0; run < runs; ++run) {
    if (!cli.isEmpty()) version << RunChild({cli, QStringLiteral("--version")}, 10000).wallMs;
    const ChildRun f = RunChild({QStringLiteral("fping"), QStringLiteral("-v")}, 10000);
    if (f.started) fping << f.wallMs;
  }
  Print({QStringLiteral("start_cli"),
         QStringLiteral("Start-up: velmaro-cli --version"),
         cli.isEmpty() ? -1 : SpreadOf(version).median,
         QStringLiteral("ms"),
         QStringLiteral("fping -v"),
         fping.isEmpty() ? -1 : SpreadOf(fping).median,
         {},
         cli.isEmpty() ? QStringLiteral("not measured: velmaro-cli is not built in this tree")
                       : note});
  return 0;
}

}  // namespace
}  // namespace velmaro::bench

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  using namespace velmaro::bench;
  const QStringList args = QCoreApplication::arguments();
  const QString mode = args.value(1);
  QString stamps;
  QString cli;
  int runs = 10;
  int units = 200;
  for (qsizetype i = 2; i + 1 < args.size(); i += 2) {
    if (args[i] == u"--runs")
      runs = args[i + 1].toInt();
    else if (args[i] == u"--stamps")
      stamps = args[i + 1];
    else if (args[i] == u"--units")
      units = args[i + 1].toInt();
    else if (args[i] == u"--cli")
      cli = args[i + 1];
  }
  if (mode == u"click") return Click(runs);
  if (mode == u"scan" && !stamps.isEmpty()) return Scan(stamps, units, runs);
  if (mode == u"list") return List();
  if (mode == u"startup") return Startup(runs, cli);
  if (mode == u"startup-child") return StartupChild(false);
  if (mode == u"startup-bare") return StartupChild(true);
  std::fprintf(
      stderr,
      "usage: window_bench click|scan --stamps FILE|list|startup [--runs N] [--cli PATH]\n");
  return 2;
}
