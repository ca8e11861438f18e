// Cost of the vendor-prefix look-up against the shipped oui.txt, in the worst case: no
// entry matches. The first look-up reads the whole file; later ones answer from what it read
// while the file stays the same. A reading per look-up is kept as the reference.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "identify/Manufacturer.h"
#include "support/AppPaths.h"
#include "support/ErrorLog.h"

namespace {

class CountingReporter final : public velmaro::ErrorReporter {
 public:
  void LogError(const QString&) override { ++reports; }
  int reports = 0;
};

// VELMARO_OUI overrides the file the build made.
QString ouiFile() {
  if (const char* chosen = std::getenv("VELMARO_OUI")) return QString::fromLocal8Bit(chosen);
  return QStringLiteral(VELMARO_BENCH_OUI);
}

// FF-FF-FF is the broadcast address's block: no vendor is ever registered there.
const QString kNoMatch = QStringLiteral("FF-FF-FF-00-00-01");

// The reference: the file read from the start for one answer, as every look-up once did.
void BM_OuiReadPerLookup(benchmark::State& state) {
  const QString file = ouiFile();
  CountingReporter log;
  for (auto _ : state) {
    QString name = velmaro::OUI_GetMFGByMACInFile(kNoMatch, file, log);
    benchmark::DoNotOptimize(name);
  }
  if (log.reports != 0) state.SkipWithError("the look-up reported failures");
}
BENCHMARK(BM_OuiReadPerLookup)->Unit(benchmark::kMillisecond);

// The program's look-up: its first call reads the file (the cost above), the rest answer
// from what it read after checking the file is still the same one.
void BM_OuiLookupAfterTheFirst(benchmark::State& state) {
  const velmaro::AppPaths paths(QFileInfo(ouiFile()).absolutePath(), QString(), QString());
  CountingReporter log;
  velmaro::OuiFile oui(log, paths);
  benchmark::DoNotOptimize(oui.OUI_GetMFGByMAC(kNoMatch));
  for (auto _ : state) {
    QString name = oui.OUI_GetMFGByMAC(kNoMatch);
    benchmark::DoNotOptimize(name);
  }
  if (log.reports != 0) state.SkipWithError("the look-up reported failures");
}
BENCHMARK(BM_OuiLookupAfterTheFirst)->Unit(benchmark::kMicrosecond);

// What a sweep of a /24 pays with "Process MACs": one look-up per row, the first of them
// reading the file.
void BM_OuiSweepOf254Rows(benchmark::State& state) {
  const velmaro::AppPaths paths(QFileInfo(ouiFile()).absolutePath(), QString(), QString());
  CountingReporter log;
  for (auto _ : state) {
    velmaro::OuiFile oui(log, paths);
    for (int row = 0; row < 254; ++row) {
      QString name = oui.OUI_GetMFGByMAC(kNoMatch);
      benchmark::DoNotOptimize(name);
    }
  }
  if (log.reports != 0) state.SkipWithError("the look-up reported failures");
}
BENCHMARK(BM_OuiSweepOf254Rows)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (!QFileInfo::exists(ouiFile())) {
    std::fprintf(stderr, "oui_lookup: no vendor-prefix file at %s (set VELMARO_OUI)\n",
                 qPrintable(ouiFile()));
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
