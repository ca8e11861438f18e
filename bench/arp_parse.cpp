// The neighbour listing of a busy segment, 5,000 hosts as `ip -4 neigh show` lists them:
// converted by the platform into the table's layout and read line by line as the ARP load
// reads it. The reference splits the same listing into lines and words and nothing more:
// the least any reader of it must do.
#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

#include "identify/ArpTable.h"
#include "platform/Platform.h"
#include "support/ByteLines.h"

namespace {

constexpr int kLines = 5000;

QByteArray listing() {
  QByteArray out;
  for (int i = 0; i < kLines; ++i) {
    const int a = i / 254 + 1;
    const int b = i % 254 + 1;
    out += "10.20." + QByteArray::number(a) + "." + QByteArray::number(b) + " dev eth0 ";
    if (i % 10 == 9) {
      out += "FAILED\n";  // one in ten never answered
    } else {
      out += "lladdr 00:1b:21:" + QByteArray::number(a % 256, 16).rightJustified(2, '0') + ":" +
             QByteArray::number(b, 16).rightJustified(2, '0') + ":0" + QByteArray::number(i % 10) +
             (i % 3 ? " REACHABLE\n" : " STALE\n");
    }
  }
  return out;
}

void BM_ArpListing5000Lines(benchmark::State& state) {
  const auto platform = velmaro::platform::createSystemPlatform();
  const QByteArray raw = listing();
  qsizetype entries = 0;
  for (auto _ : state) {
    const QByteArray converted = platform->convertArpListing(raw);
    entries = 0;
    for (velmaro::ByteLines lines(converted); !lines.atEnd();) {
      const QString line = QString::fromLatin1(lines.next());
      if (velmaro::ParseArpLine(line)) ++entries;
    }
    benchmark::DoNotOptimize(entries);
  }
  if (entries != kLines - kLines / 10) state.SkipWithError("the listing did not read as expected");
}
BENCHMARK(BM_ArpListing5000Lines)->Unit(benchmark::kMillisecond);

void BM_SplitOnly5000Lines(benchmark::State& state) {
  const QByteArray raw = listing();
  for (auto _ : state) {
    qsizetype words = 0;
    for (const QByteArray& line : raw.split('\n')) words += line.split(' ').size();
    benchmark::DoNotOptimize(words);
  }
}
BENCHMARK(BM_SplitOnly5000Lines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
