// The ping phase side by side with the tools a technician would use instead, every run in
// this lab namespace: Velmaro's engine (engine_sweep) and command line, fping and nmap tuned
// to the same fixed 1000 ms per request, and fping and nmap as they come. Each runs as its
// own process, in turns, so load on the machine falls on all of them alike.
//
//   ping_compare --engine PATH [--cli PATH] [--runs N]             the lab's /24
//   ping_compare --engine PATH --scale N [--runs R]                N entries, several prefixes
//   ping_compare --fast CLI [--runs N]                              --fast naming the /24
//   ping_compare --fast CLI --block CIDR --rate N [--runs R]        --fast over a larger block
#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <map>

#include "BenchSupport.h"
#include "support/LabLayout.h"

namespace {

using velmaro::bench::ChildRun;
using velmaro::bench::Figure;
using velmaro::bench::Print;
using velmaro::bench::SpreadOf;

constexpr int kLimitMs = 120000;  // every tool ends by itself long before this
// After the echoes the sweep visits every row and waits this long at each, whatever it
// reads: the design's own cost, which the command line pays and the tools do not.
constexpr double kPerRowWaitMs = 50;
// 198.18.64.0/18, which bench/run routes to a lab host for the silent prefixes, clear of the
// lab's own segments (198.18.7.0/24 to 198.18.9.0/24).
constexpr int kFirstSilentThird = 64;
constexpr int kLastSilentThird = 128;

QString lab(std::string_view s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }

QSet<QString> expectedLive() {
  QSet<QString> live{lab(velmaro::lab::kClientIp)};  // the client answers too
  for (auto ip : velmaro::lab::kLiveIps) live.insert(lab(ip));
  return live;
}

// Addresses as each tool writes them: fping one per line, nmap in its report lines, the
// engine after "UP", the command line at the start of each row.
QSet<QString> hostsIn(const QByteArray& output) {
  static const QRegularExpression address(
      QStringLiteral(R"((?:^|UP |Nmap scan report for )(\d{1,3}\.\d{1,3}\.\d{1,3}\.\d{1,3})\b)"),
      QRegularExpression::MultilineOption);
  QSet<QString> hosts;
  auto it = address.globalMatch(QString::fromLatin1(output));
  while (it.hasNext()) hosts.insert(it.next().captured(1));
  return hosts;
}

struct Contender {
  QString key;
  QString name;
  QStringList argv;
  bool inProcessFigures = false;  // the engine reports its own ping phase
};

struct Samples {
  QList<double> wall, cpu, rssKb;
  QList<double> wallLessRowWaits;  // the command line: its wall less 50 ms per row shown
  int complete = 0;                // runs that found exactly the live hosts
  int runs = 0;
  int fewestFound = 1 << 30;
  bool failed = false;
  QString why;
};

double field(const QByteArray& output, const char* name) {
  const QRegularExpression re(QStringLiteral("%1=([0-9.]+)").arg(QLatin1String(name)));
  const auto m = re.match(QString::fromLatin1(output));
  return m.hasMatch() ? m.captured(1).toDouble() : -1;
}

QSet<QString> runOnce(const Contender& c, const QSet<QString>& expected, Samples& s,
                      int limitMs = kLimitMs) {
  const ChildRun run = velmaro::bench::RunChild(c.argv, limitMs);
  if (!run.started || run.timedOut) {
    s.failed = true;
    s.why = run.timedOut ? QStringLiteral("timed out") : QStringLiteral("could not be started");
    return {};
  }
  ++s.runs;
  if (c.inProcessFigures) {
    s.wall << field(run.output, "wall_ms");
    s.cpu << field(run.output, "cpu_ms");
  } else {
    s.wall << run.wallMs;
    s.cpu << run.cpuMs;
  }
  s.rssKb << double(run.peakRssKb);
  const QSet<QString> found = hostsIn(run.output);
  s.wallLessRowWaits << run.wallMs - double(found.size()) * kPerRowWaitMs;
  s.fewestFound = std::min(s.fewestFound, int(found.size()));
  if (expected.isEmpty() || found == expected) ++s.complete;
  return found;
}

// fping and nmap tuned to the engine's fixed 1000 ms per request over the lab's /24.
Contender tunedFping(const QString& first, const QString& last, const QString& note = {}) {
  return {
      QStringLiteral("fping"),
      QStringLiteral("fping -q -a -r0 -t1000 -i0 -g") + note,
      {QStringLiteral("fping"), QStringLiteral("-q"), QStringLiteral("-a"), QStringLiteral("-r0"),
       QStringLiteral("-t1000"), QStringLiteral("-i0"), QStringLiteral("-g"), first, last}};
}
Contender tunedNmap(const QString& range) {
  return {QStringLiteral("nmap"),
          QStringLiteral("nmap -sn -PE -n --disable-arp-ping"),
          {QStringLiteral("nmap"), QStringLiteral("-sn"), QStringLiteral("-PE"),
           QStringLiteral("-n"), QStringLiteral("--disable-arp-ping"), range}};
}

QString runsNote(const Samples& s) {
  return QStringLiteral("%1 runs; worst %2 ms").arg(s.runs).arg(SpreadOf(s.wall).worst, 0, 'f', 1);
}

// The /24 at the window's defaults.
int compareSweep(const QString& engine, const QString& cli, int runs) {
  const QString first = lab(velmaro::lab::kSubnetPrefix) + QStringLiteral(".1");
  const QString last = lab(velmaro::lab::kSubnetPrefix) + QStringLiteral(".254");
  const QString nmapRange = lab(velmaro::lab::kSubnetPrefix) + QStringLiteral(".1-254");
  std::vector<Contender> contenders = {
      {QStringLiteral("engine"), QStringLiteral("Velmaro engine (ping phase)"), {engine}, true},
      tunedFping(first, last),
      tunedNmap(nmapRange),
      {QStringLiteral("fping_default"),
       QStringLiteral("fping -a -q -g (defaults)"),
       {QStringLiteral("fping"), QStringLiteral("-a"), QStringLiteral("-q"), QStringLiteral("-g"),
        first, last}},
      {QStringLiteral("nmap_default"),
       QStringLiteral("nmap -sn -n (defaults)"),
       {QStringLiteral("nmap"), QStringLiteral("-sn"), QStringLiteral("-n"), nmapRange}},
  };
  if (!cli.isEmpty()) {
    contenders.insert(
        contenders.begin() + 1,
        {QStringLiteral("cli"),
         QStringLiteral("velmaro-cli ping --no-mac --no-nvid"),
         {cli, QStringLiteral("ping"), QStringLiteral("--no-mac"), QStringLiteral("--no-nvid"),
          QStringLiteral("--range"), QStringLiteral("1-254")}});
  }
  const QSet<QString> expected = expectedLive();
  std::map<QString, Samples> samples;
  for (int run = 0; run < runs; ++run) {
    for (const Contender& c : contenders) runOnce(c, expected, samples[c.key]);
  }

  std::map<QString, QString> names;
  for (const Contender& c : contenders) names[c.key] = c.name;
  for (const Contender& c : contenders) {
    const Samples& s = samples[c.key];
    if (s.failed) {
      Print({QStringLiteral("ping24_%1").arg(c.key),
             QStringLiteral("Ping /24: %1").arg(c.name),
             -1,
             QStringLiteral("ms"),
             {},
             -1,
             {},
             QStringLiteral("not measured: %1").arg(s.why)});
      continue;
    }
    const bool ours = c.key == u"engine" || c.key == u"cli";
    const bool tuned = c.key == u"fping" || c.key == u"nmap";
    // Ours against the tuned tools; the tools at their defaults against our engine. The
    // tuned tools' own figures are the references of ours.
    const QStringList refs = ours ? QStringList{QStringLiteral("fping"), QStringLiteral("nmap")}
                                  : QStringList{QStringLiteral("engine")};
    auto row = [&](const QString& metric, const QString& unit, const QList<double>& mine,
                   const QString& target, auto pick) {
      for (const QString& ref : refs) {
        const Samples& r = samples[ref];
        Print({QStringLiteral("ping24_%1_%2_vs_%3").arg(c.key, metric, ref),
               QStringLiteral("Ping /24 %1: %2").arg(metric, c.name), SpreadOf(mine).median, unit,
               names[ref], r.failed ? -1 : SpreadOf(pick(r)).median, ours ? target : QString(),
               runsNote(s)});
      }
    };
    if (!tuned) {
      row(QStringLiteral("wall"), QStringLiteral("ms"), s.wall, QStringLiteral("<= 1050 ms"),
          [](const Samples& x) { return x.wall; });
      row(QStringLiteral("CPU"), QStringLiteral("ms"), s.cpu, QStringLiteral("< 50 ms"),
          [](const Samples& x) { return x.cpu; });
      row(QStringLiteral("peak memory"), QStringLiteral("KiB"), s.rssKb, {},
          [](const Samples& x) { return x.rssKb; });
    }
    if (c.key == u"cli") {
      Print({QStringLiteral("ping24_cli_wall_less_rows"),
             QStringLiteral("Ping /24 wall less 50 ms per row (design): %1").arg(c.name),
             SpreadOf(s.wallLessRowWaits).median, QStringLiteral("ms"),
             names[QStringLiteral("fping")],
             samples[QStringLiteral("fping")].failed
                 ? -1
                 : SpreadOf(samples[QStringLiteral("fping")].wall).median,
             QStringLiteral("<= 1050 ms"),
             QStringLiteral("the process from start to exit, less %1 ms of row waits")
                 .arg(double(s.fewestFound) * kPerRowWaitMs)});
    }
    Print(
        {QStringLiteral("ping24_%1_hosts").arg(c.key),
         QStringLiteral("Ping /24 hosts found (fewest in a run): %1").arg(c.name),
         double(s.fewestFound), QStringLiteral("hosts"), QStringLiteral("live hosts in the lab"),
         double(expected.size()), ours ? QStringLiteral("every live host, every run") : QString(),
         QStringLiteral("%1 of %2 runs found exactly the live hosts").arg(s.complete).arg(s.runs)});
  }
  return 0;
}

// N entries over several /24 prefixes of the benchmarking block, mostly silent.
int compareScale(const QString& engine, qsizetype entries, int runs) {
  QTemporaryDir dir;
  const QString listPath = dir.filePath(QStringLiteral("list.txt"));
  QFile list(listPath);
  if (!list.open(QIODevice::WriteOnly)) return 2;
  // The lab's own /24 first, then prefixes routed to a lab host that forwards nothing.
  qsizetype written = 0;
  for (int third = 7; written < entries && third < kLastSilentThird;
       third = third == 7 ? kFirstSilentThird : third + 1) {
    for (int octet = 1; octet <= 254 && written < entries; ++octet, ++written)
      list.write(QStringLiteral("198.18.%1.%2\n").arg(third).arg(octet).toLatin1());
  }
  list.close();
  const QString allTimeout = QString::number(entries * 250);
  const std::vector<Contender> contenders = {
      {QStringLiteral("engine"),
       QStringLiteral("Velmaro engine"),
       {engine, QStringLiteral("--list"), listPath, QStringLiteral("--all-timeout"), allTimeout},
       true},
      {QStringLiteral("fping"),
       QStringLiteral("fping -q -a -r0 -t1000 -i0 -f"),
       {QStringLiteral("fping"), QStringLiteral("-q"), QStringLiteral("-a"), QStringLiteral("-r0"),
        QStringLiteral("-t1000"), QStringLiteral("-i0"), QStringLiteral("-f"), listPath}},
  };
  std::map<QString, Samples> samples;
  for (int run = 0; run < runs; ++run) {
    for (const Contender& c : contenders) runOnce(c, {}, samples[c.key]);
  }
  // Each program with a list of one, the client's own address: what it holds whatever
  // the list, so that what is left is the cost of the entries.
  QFile one(dir.filePath(QStringLiteral("one.txt")));
  if (!one.open(QIODevice::WriteOnly)) return 2;
  one.write(lab(velmaro::lab::kClientIp).toLatin1() + '\n');
  one.close();
  std::map<QString, Samples> base;
  for (Contender c : contenders) {
    c.argv.replace(c.argv.indexOf(listPath), one.fileName());
    runOnce(c, {}, base[c.key]);
  }
  auto perEntry = [&](const QString& key) {
    const Samples& s = samples[key];
    const Samples& b = base[key];
    if (s.failed || b.failed || b.rssKb.isEmpty()) return -1.0;
    return (SpreadOf(s.rssKb).median - b.rssKb.first()) * 1024 / double(entries);
  };
  const Samples& e = samples[QStringLiteral("engine")];
  const Samples& f = samples[QStringLiteral("fping")];
  const double n = double(entries);
  const QString key = QStringLiteral("scale%1").arg(entries);
  const QString note = QStringLiteral("%1 runs; %2 live hosts found at fewest (engine), %3 (fping)")
                           .arg(e.runs)
                           .arg(e.fewestFound)
                           .arg(f.failed ? -1 : f.fewestFound);
  Print({key + QStringLiteral("_wall"),
         QStringLiteral("Engine, %1 entries: wall (blocks of 1,000, 1000 ms each)").arg(entries),
         SpreadOf(e.wall).median,
         QStringLiteral("ms"),
         contenders[1].name,
         f.failed ? -1 : SpreadOf(f.wall).median,
         {},
         note});
  Print({key + QStringLiteral("_cpu"),
         QStringLiteral("Engine, %1 entries: CPU per entry").arg(entries),
         SpreadOf(e.cpu).median * 1000 / n,
         QStringLiteral("us"),
         contenders[1].name,
         f.failed ? -1 : SpreadOf(f.cpu).median * 1000 / n,
         {},
         note});
  Print({key + QStringLiteral("_mem"),
         QStringLiteral("Engine, %1 entries: memory per entry (peak, less a list of one)")
             .arg(entries),
         perEntry(QStringLiteral("engine")),
         QStringLiteral("bytes"),
         contenders[1].name,
         perEntry(QStringLiteral("fping")),
         {},
         note});
  return 0;
}

// The fast mode beside its peers: each contender against each reference, every figure.
// `references`: the contenders ours are measured against; the first one's hosts in each
// run are the hosts every other contender must find in that run.
int compareFast(const QString& key, const QString& what, const std::vector<Contender>& ours,
                const std::vector<Contender>& references, int runs, const QString& wallTarget,
                const QString& memoryTarget, const QSet<QString>& expectedHosts) {
  std::vector<Contender> all = references;
  all.insert(all.end(), ours.begin(), ours.end());
  std::map<QString, Samples> samples;
  int sameAsFirst = 0;
  for (int run = 0; run < runs; ++run) {
    QSet<QString> expected = expectedHosts;
    bool same = true;
    for (const Contender& c : all) {
      const bool first = &c == &all.front();
      const QSet<QString> found = runOnce(c, expected, samples[c.key], 600000);
      if (first && expected.isEmpty()) expected = found;
      if (!first) same = same && found == expected;
    }
    sameAsFirst += same ? 1 : 0;
  }
  for (const Contender& c : ours) {
    const Samples& s = samples[c.key];
    if (s.failed) {
      Print({QStringLiteral("%1_%2").arg(key, c.key),
             QStringLiteral("%1: %2").arg(what, c.name),
             -1,
             QStringLiteral("ms"),
             {},
             -1,
             {},
             QStringLiteral("not measured: %1").arg(s.why)});
      continue;
    }
    for (const Contender& r : references) {
      const Samples& rs = samples[r.key];
      // The targets stand beside the first reference, the one they are set against.
      const bool first = &r == &references.front();
      auto row = [&](const QString& metric, const QString& unit, QList<double> Samples::*list,
                     const QString& target) {
        Print({QStringLiteral("%1_%2_%3_vs_%4").arg(key, c.key, metric, r.key),
               QStringLiteral("%1 %2: %3").arg(what, metric, c.name), SpreadOf(s.*list).median,
               unit, r.name, rs.failed ? -1 : SpreadOf(rs.*list).median, first ? target : QString(),
               runsNote(s)});
      };
      row(QStringLiteral("wall"), QStringLiteral("ms"), &Samples::wall, wallTarget);
      row(QStringLiteral("CPU"), QStringLiteral("ms"), &Samples::cpu, {});
      row(QStringLiteral("peak memory"), QStringLiteral("KiB"), &Samples::rssKb, memoryTarget);
    }
  }
  for (const Contender& c : all) {
    const Samples& s = samples[c.key];
    if (s.failed) continue;
    Print({QStringLiteral("%1_%2_hosts").arg(key, c.key),
           QStringLiteral("%1 hosts found (fewest in a run): %2").arg(what, c.name),
           double(s.fewestFound), QStringLiteral("hosts"),
           expectedHosts.isEmpty() ? all.front().name : QStringLiteral("live hosts in the lab"),
           expectedHosts.isEmpty() ? double(samples[all.front().key].fewestFound)
                                   : double(expectedHosts.size()),
           &c == &all.back() ? QStringLiteral("the same hosts, every run") : QString(),
           QStringLiteral("%1 of %2 runs: every contender found the same hosts")
               .arg(sameAsFirst)
               .arg(runs)});
  }
  return 0;
}

// --fast on the lab's /24, names included, against the tools for echoes alone and for names.
int compareFastSweep(const QString& cli, int runs) {
  const QString first = lab(velmaro::lab::kSubnetPrefix) + QStringLiteral(".1");
  const QString last = lab(velmaro::lab::kSubnetPrefix) + QStringLiteral(".254");
  const QString nmapRange = lab(velmaro::lab::kSubnetPrefix) + QStringLiteral(".1-254");
  const std::vector<Contender> ours = {
      {QStringLiteral("fast"),
       QStringLiteral("velmaro-cli ping --fast --genid (names)"),
       {cli, QStringLiteral("ping"), QStringLiteral("--fast"), QStringLiteral("--genid"),
        QStringLiteral("--range"), QStringLiteral("1-254")}},
  };
  const std::vector<Contender> references = {
      {QStringLiteral("fping"),
       QStringLiteral("fping -q -a -r0 -t1000 -i0 -g (echoes alone)"),
       {QStringLiteral("fping"), QStringLiteral("-q"), QStringLiteral("-a"), QStringLiteral("-r0"),
        QStringLiteral("-t1000"), QStringLiteral("-i0"), QStringLiteral("-g"), first, last}},
      {QStringLiteral("nmap"),
       QStringLiteral("nmap -sn -PE -n --disable-arp-ping"),
       {QStringLiteral("nmap"), QStringLiteral("-sn"), QStringLiteral("-PE"), QStringLiteral("-n"),
        QStringLiteral("--disable-arp-ping"), nmapRange}},
      {QStringLiteral("nmap_titles"),
       QStringLiteral("nmap -PE -n --disable-arp-ping -p 80,8080 --script http-title (names)"),
       {QStringLiteral("nmap"), QStringLiteral("-PE"), QStringLiteral("-n"),
        QStringLiteral("--disable-arp-ping"), QStringLiteral("-p"), QStringLiteral("80,8080"),
        QStringLiteral("--script"), QStringLiteral("http-title"), nmapRange}},
      {QStringLiteral("default"),
       QStringLiteral("velmaro-cli ping --genid (default mode)"),
       {cli, QStringLiteral("ping"), QStringLiteral("--genid"), QStringLiteral("--range"),
        QStringLiteral("1-254")}},
  };
  // 1.10 times the echo time-out of 1000 ms (twice the default box of 500).
  return compareFast(QStringLiteral("fast24"), QStringLiteral("Fast /24 named"), ours, references,
                     runs, QStringLiteral("<= 1100 ms"), {}, expectedLive());
}

// --fast over a larger block at one rate, against fping and nmap at the same rate and
// time-out; the hosts fping finds are the hosts to find.
int compareFastBlock(const QString& cli, const QString& block, int rate, int runs) {
  const QString interval = QString::number(1000.0 / rate, 'f', 3);
  const std::vector<Contender> ours = {
      {QStringLiteral("fast"),
       QStringLiteral("velmaro-cli ping --fast --no-mac --no-nvid"),
       {cli, QStringLiteral("ping"), QStringLiteral("--fast"), QStringLiteral("--no-mac"),
        QStringLiteral("--no-nvid"), QStringLiteral("--targets"), block, QStringLiteral("--rate"),
        QString::number(rate)}},
  };
  const std::vector<Contender> references = {
      {QStringLiteral("fping"),
       QStringLiteral("fping -q -a -r0 -t1000 -i%1 -g").arg(interval),
       {QStringLiteral("fping"), QStringLiteral("-q"), QStringLiteral("-a"), QStringLiteral("-r0"),
        QStringLiteral("-t1000"), QStringLiteral("-i") + interval, QStringLiteral("-g"), block}},
      {QStringLiteral("nmap"),
       QStringLiteral(
           "nmap -sn -PE -n --disable-arp-ping --max-retries 0 --min-rate %1 --max-rate %1")
           .arg(rate),
       {QStringLiteral("nmap"), QStringLiteral("-sn"), QStringLiteral("-PE"), QStringLiteral("-n"),
        QStringLiteral("--disable-arp-ping"), QStringLiteral("--max-retries"), QStringLiteral("0"),
        QStringLiteral("--max-rtt-timeout"), QStringLiteral("1000ms"), QStringLiteral("--min-rate"),
        QString::number(rate), QStringLiteral("--max-rate"), QString::number(rate), block}},
  };
  const QString bits = block.section(u'/', 1);
  return compareFast(QStringLiteral("fast%1").arg(bits),
                     QStringLiteral("Fast /%1 at %2 a second").arg(bits).arg(rate), ours,
                     references, runs, QStringLiteral("<= 1.1 x fping"),
                     bits == u"16" ? QStringLiteral("< 65536 KiB") : QString(), {});
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  velmaro::bench::RequireLabOrExit("ping_compare");
  QString engine;
  QString cli;
  int runs = 10;
  qsizetype scale = 0;
  QString fast;
  QString block;
  int rate = 0;
  const QStringList args = QCoreApplication::arguments();
  for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
    if (args[i] == u"--engine")
      engine = args[i + 1];
    else if (args[i] == u"--cli")
      cli = args[i + 1];
    else if (args[i] == u"--runs")
      runs = args[i + 1].toInt();
    else if (args[i] == u"--scale")
      scale = args[i + 1].toLongLong();
    else if (args[i] == u"--fast")
      fast = args[i + 1];
    else if (args[i] == u"--block")
      block = args[i + 1];
    else if (args[i] == u"--rate")
      rate = args[i + 1].toInt();
  }
  if (!fast.isEmpty()) {
    return block.isEmpty() || rate <= 0 ? compareFastSweep(fast, runs)
                                        : compareFastBlock(fast, block, rate, runs);
  }
  if (engine.isEmpty()) {
    std::fprintf(stderr, "usage: ping_compare --engine PATH [--cli PATH] [--runs N] [--scale N]\n");
    return 2;
  }
  return scale > 0 ? compareScale(engine, scale, runs) : compareSweep(engine, cli, runs);
}
