// Cost of one vendor-prefix look-up against the shipped oui.txt, in the worst case: no
// entry matches, so the whole file is read. A sweep of a /24 pays it once per row.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>
#include <cstdio>
#include <cstdlib>

#include "identify/Manufacturer.h"
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

void BM_OuiLookupNoMatch(benchmark::State& state) {
  const QString file = ouiFile();
  CountingReporter log;
  for (auto _ : state) {
    QString name = velmaro::OUI_GetMFGByMACInFile(kNoMatch, file, log);
    benchmark::DoNotOptimize(name);
  }
  if (log.reports != 0) state.SkipWithError("the look-up reported failures");
}
BENCHMARK(BM_OuiLookupNoMatch)->Unit(benchmark::kMillisecond);

void BM_OuiSweepOf254Rows(benchmark::State& state) {
  const QString file = ouiFile();
  CountingReporter log;
  for (auto _ : state) {
    for (int row = 0; row < 254; ++row) {
      QString name = velmaro::OUI_GetMFGByMACInFile(kNoMatch, file, log);
      benchmark::DoNotOptimize(name);
    }
  }
  if (log.reports != 0) state.SkipWithError("the look-up reported failures");
}
BENCHMARK(BM_OuiSweepOf254Rows)->Unit(benchmark::kMillisecond)->Iterations(3);

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
