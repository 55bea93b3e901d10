// SPDX-License-Identifier: MIT
// The acquisition's use of a series: points added in ascending x, then the
// whole series cleared for the next run.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "chart/custom_chart.h"
#include "chart/line_series.h"
#include "chart/qt/qt_chart_canvas.h"

namespace {

using kolva::chart::TChart;
using kolva::chart::TLineSeries;

constexpr int kPoints = 1'000'000;

// Heap bytes in use, small blocks and mapped large ones alike.
std::size_t HeapInUse() {
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

std::unique_ptr<TChart> MakeChart() {
  auto chart = std::make_unique<TChart>(std::make_unique<kolva::chart::qt::QtChartCanvas>());
  chart->SetRepaintRequest([] {});
  return chart;
}

// AddPoint calls in ascending x on a fresh series shown by a chart; each
// call requests a repaint, as in a run. Reports calls per second and the
// heap bytes the points hold. With a million points most of the time goes
// to the kernel supplying fresh pages (the storage never moves as it
// grows); ten thousand points show mostly the cost of the call itself.
void BM_AddPointAscending(benchmark::State& state) {
  const int points = static_cast<int>(state.range(0));
  auto chart = MakeChart();
  std::size_t bytes = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto series = std::make_unique<TLineSeries>("Series1");
    series->SetParentChart(chart.get());
    std::size_t before = HeapInUse();
    state.ResumeTiming();
    for (int i = 0; i < points; ++i) series->AddPoint(i * 0.1, (i % 4096) * 0.5, {}, 255);
    state.PauseTiming();
    bytes = HeapInUse() - before;
    benchmark::DoNotOptimize(series->PointCount());
    series.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * points);
  state.counters["bytes_per_point"] = static_cast<double>(bytes) / points;
}
BENCHMARK(BM_AddPointAscending)->Arg(10'000)->Arg(kPoints)->Unit(benchmark::kMicrosecond);

// Points as a results file's loader hands them over: ascending x and y
// in arrays, added in chunks of 32768 (the loader's chunk), all in one
// colour, to a fresh series shown by a chart.
struct LoadedPoints {
  static constexpr std::size_t kChunk = 32768;
  std::vector<double> x, y;
  explicit LoadedPoints(std::size_t n) : x(n), y(n) {
    for (std::size_t i = 0; i < n; ++i) {
      x[i] = static_cast<double>(i) * 1e-3;
      y[i] = static_cast<double>(i % 4096) * 0.5;
    }
  }
  // Adds every point, either through one AddPoints call per chunk or
  // through AddPoint for each point.
  void AddTo(TLineSeries& series, bool bulk) const {
    for (std::size_t at = 0; at < x.size(); at += kChunk) {
      const std::size_t n = std::min(kChunk, x.size() - at);
      if (bulk) {
        series.AddPoints(&x[at], &y[at], n, 255);
      } else {
        for (std::size_t i = at; i < at + n; ++i) series.AddPoint(x[i], y[i], {}, 255);
      }
    }
  }
};

// AddPoint one by one (bulk = 0) against AddPoints (bulk = 1), side by
// side, for 10^6 and 10^7 points; reports points per second. Fresh pages
// from the kernel are part of the time, as in a real load (this runs
// before BM_AddPointNoFreshPages changes the heap's settings).
void BM_LoadPoints(benchmark::State& state) {
  const bool bulk = state.range(0) != 0;
  const LoadedPoints points(static_cast<std::size_t>(state.range(1)));
  auto chart = MakeChart();
  for (auto _ : state) {
    state.PauseTiming();
    auto series = std::make_unique<TLineSeries>("Series1");
    series->SetParentChart(chart.get());
    state.ResumeTiming();
    points.AddTo(*series, bulk);
    state.PauseTiming();
    benchmark::DoNotOptimize(series->PointCount());
    series.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(1));
}
BENCHMARK(BM_LoadPoints)
    ->ArgsProduct({{0, 1}, {1'000'000, 10'000'000}})
    ->ArgNames({"bulk", "points"})
    ->Unit(benchmark::kMillisecond);

// AddPoint when no fresh page is needed: the heap keeps what ClearPoints
// gives back (no trimming, no separate mappings), so refilling the series
// reuses pages the process already has and the figure is the calls' own
// cost, the summary's upkeep included.
void BM_AddPointNoFreshPages(benchmark::State& state) {
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  auto chart = MakeChart();
  TLineSeries series("Series1");
  series.SetParentChart(chart.get());
  for (int i = 0; i < kPoints; ++i) series.AddPoint(i * 0.1, (i % 4096) * 0.5, {}, 255);
  for (auto _ : state) {
    state.PauseTiming();
    series.ClearPoints();
    state.ResumeTiming();
    for (int i = 0; i < kPoints; ++i) series.AddPoint(i * 0.1, (i % 4096) * 0.5, {}, 255);
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}
BENCHMARK(BM_AddPointNoFreshPages)->Unit(benchmark::kMillisecond);

// ClearPoints of a million points; reports the heap bytes the series still
// holds afterwards compared with before it was filled (0 when the storage
// is returned).
void BM_ClearPoints(benchmark::State& state) {
  auto chart = MakeChart();
  TLineSeries series("Series1");
  series.SetParentChart(chart.get());
  double left = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::size_t before = HeapInUse();
    for (int i = 0; i < kPoints; ++i) series.AddPoint(i * 0.1, i * 0.5, {}, 255);
    state.ResumeTiming();
    series.ClearPoints();
    state.PauseTiming();
    left = static_cast<double>(HeapInUse()) - static_cast<double>(before);
    state.ResumeTiming();
  }
  state.counters["bytes_left"] = left;
}
BENCHMARK(BM_ClearPoints)->Unit(benchmark::kMillisecond);

// BM_LoadPoints again where the heap keeps the pages a cleared series gave
// back, as in BM_AddPointNoFreshPages: the calls' own cost.
void BM_LoadPointsNoFreshPages(benchmark::State& state) {
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  const bool bulk = state.range(0) != 0;
  const LoadedPoints points(static_cast<std::size_t>(state.range(1)));
  auto chart = MakeChart();
  TLineSeries series("Series1");
  series.SetParentChart(chart.get());
  points.AddTo(series, bulk);
  for (auto _ : state) {
    state.PauseTiming();
    series.ClearPoints();
    state.ResumeTiming();
    points.AddTo(series, bulk);
  }
  state.SetItemsProcessed(state.iterations() * state.range(1));
}
BENCHMARK(BM_LoadPointsNoFreshPages)
    ->ArgsProduct({{0, 1}, {1'000'000, 10'000'000}})
    ->ArgNames({"bulk", "points"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
