// The row model with 10,000 rows: filling it, finding the last row by its text (what every
// echo answer does in update mode), setting a cell, and the header-click re-sort.
#include <benchmark/benchmark.h>

#include <QString>

#include "form/ResultList.h"

namespace {

using velmaro::ResultList;
using velmaro::RowId;

constexpr int kRows = 10000;

QString address(int i) {
  return QStringLiteral("10.%1.%2.%3").arg(i / 65536).arg(i / 256 % 256).arg(i % 256);
}

void Fill(ResultList& list) {
  for (int i = 0; i < kRows; ++i) {
    const RowId row = list.append(address(i));
    list.setCell(row, 2, QString::number(i % 997) + QStringLiteral(" ms"));
    list.setCell(row, 5, QStringLiteral("???"));
  }
}

void BM_Fill10000Rows(benchmark::State& state) {
  for (auto _ : state) {
    ResultList list;
    Fill(list);
    benchmark::DoNotOptimize(list.count());
  }
}
BENCHMARK(BM_Fill10000Rows)->Unit(benchmark::kMillisecond);

void BM_FindLastOf10000ByText(benchmark::State& state) {
  ResultList list;
  Fill(list);
  const QString last = address(kRows - 1);
  for (auto _ : state) benchmark::DoNotOptimize(list.findByText(last));
}
BENCHMARK(BM_FindLastOf10000ByText)->Unit(benchmark::kMicrosecond);

void BM_SetCellAfterRemovals(benchmark::State& state) {
  // A removal makes the id index stale once; the next access rebuilds it.
  ResultList list;
  Fill(list);
  for (auto _ : state) {
    const RowId gone = list.append(QStringLiteral("x"));
    list.remove(gone);
    list.setCell(list.rowAt(kRows / 2), 2, QStringLiteral("1 ms"));
  }
}
BENCHMARK(BM_SetCellAfterRemovals)->Unit(benchmark::kMicrosecond);

void BM_HeaderClickSort10000(benchmark::State& state) {
  ResultList list;
  Fill(list);
  list.setSortColumn(2);
  list.setSortedMode(true);
  bool ascending = true;
  for (auto _ : state) {
    ascending = !ascending;
    list.setSortAscending(ascending);
  }
}
BENCHMARK(BM_HeaderClickSort10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
