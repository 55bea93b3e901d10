// SPDX-License-Identifier: MIT
// One full paint of the chart window's image, as an acquisition run repaints
// it after each sample: both series holding N points each, the chart marked
// stale before every paint so that the whole chart is drawn again into the
// off-screen image through the Qt canvas and copied to the target.
#include <benchmark/benchmark.h>

#include <malloc.h>
#include <QApplication>
#include <QImage>
#include <QPainter>

#include <cmath>
#include <cstdlib>

#include "chart_readings.h"
#include "wykres/form2.h"

namespace {

using kolva::wykres::TForm2;

QApplication& App() {
  static int argc = 1;
  static char name[] = "chart_paint_bench";
  static char* argv[] = {name, nullptr};
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QApplication app(argc, argv);
  return app;
}

void Fill(TForm2& form, int n) {
  form.Series1().ClearPoints();
  form.Series2().ClearPoints();
  kolva::bench::AddSimulatedReadings(form, n);
}

// Heap bytes in use, small blocks and mapped large ones alike.
std::size_t HeapInUse() {
  struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Pixels of the colour in the image: the check that the paint really drew.
int CountPixels(const QImage& image, QRgb color) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) count += (line[x] & 0xFFFFFFu) == (color & 0xFFFFFFu);
  }
  return count;
}

void BM_ChartWindowPaint(benchmark::State& state) {
  App();
  TForm2 form;
  auto& widget = form.Chart1Widget();
  widget.resize(TForm2::kClientWidth, TForm2::kClientHeight);
  widget.SyncBounds();
  const std::size_t before = HeapInUse();
  Fill(form, static_cast<int>(state.range(0)));
  // Per point of both series: what the heap gave the points (values,
  // summaries, block tables) and what the series count as theirs.
  const double points = 2.0 * static_cast<double>(state.range(0));
  state.counters["heap_bytes_per_point"] = static_cast<double>(HeapInUse() - before) / points;
  state.counters["bytes_per_point"] =
      static_cast<double>(form.Series1().StorageBytes() + form.Series2().StorageBytes()) / points;
  QImage target(TForm2::kClientWidth, TForm2::kClientHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    form.Chart1().Invalidate();
    QPainter painter(&target);
    widget.render(&painter);
    painter.end();
    benchmark::DoNotOptimize(target.constBits());
  }
  if (CountPixels(target, qRgb(255, 0, 0)) == 0)
    state.SkipWithError("no red line in the painted image");
  // KOLVA_PAINT_PNG names a folder that receives the last image of each
  // size, for looking at the picture.
  if (const char* folder = std::getenv("KOLVA_PAINT_PNG"))
    target.save(QString("%1/paint_%2.png").arg(folder).arg(state.range(0)));
  state.counters["points"] = static_cast<double>(2 * state.range(0));
}

// One mouse press's hit test on the painted chart window: Clicked on both
// series at one of eight places across the plot's middle, in turn. Arg 1
// picks the path: 0 the scan of every visible point (the test as it was),
// 1 the test of the points near the mouse's x.
void BM_PressHitTest(benchmark::State& state) {
  App();
  TForm2 form;
  auto& widget = form.Chart1Widget();
  widget.resize(TForm2::kClientWidth, TForm2::kClientHeight);
  widget.SyncBounds();
  Fill(form, static_cast<int>(state.range(0)));
  QImage target(TForm2::kClientWidth, TForm2::kClientHeight, QImage::Format_RGB32);
  QPainter painter(&target);
  widget.render(&painter);
  painter.end();
  const auto& plot = form.Chart1().ChartRect;
  const bool nearby = state.range(1) != 0;
  int turn = 0;
  int hits = 0;
  for (auto _ : state) {
    const int x = plot.Left + (plot.Right - plot.Left) * (1 + 2 * (turn++ % 8)) / 16;
    const int y = (plot.Top + plot.Bottom) / 2;
    for (const auto* series : {&form.Series1(), &form.Series2()}) {
      const int hit = nearby ? series->Clicked(x, y) : series->ClickedByScan(x, y);
      hits += hit >= 0;
      benchmark::DoNotOptimize(hit);
    }
  }
  state.counters["hits"] = hits;
}
BENCHMARK(BM_PressHitTest)
    ->ArgsProduct({{1000000, 10000000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK(BM_ChartWindowPaint)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Arg(10000000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
