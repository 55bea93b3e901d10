// SPDX-License-Identifier: MIT
// Series whose value columns moved into files against series that keep
// them on the heap: the same operations give the same values, statistics,
// click answers and pictures.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>

#include "app/text/textconv.h"
#include "chart/custom_chart.h"
#include "chart/custom_series.h"
#include "chart/line_series.h"
#include "chart/spill_file.h"
#include "recording_canvas.h"

namespace kolva::chart {
namespace {

using testing::RecordingCanvas;

// A fresh folder on disk for the files, named in KOLVA_SPILL_DIR while the
// test runs.
class SpillFolderFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/var/tmp/kolva-spill-test-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    folder = name;
    setenv("KOLVA_SPILL_DIR", name, 1);
  }
  void TearDown() override {
    unsetenv("KOLVA_SPILL_DIR");
    SetSpillSettings(SpillSettings{});
    std::filesystem::remove_all(folder);
  }
  std::string folder;
};

// A chart window's chart: two line series on a recording canvas.
struct Panel {
  Panel() {
    auto owned = std::make_unique<RecordingCanvas>();
    canvas = owned.get();
    chart = std::make_unique<TChart>(std::move(owned));
    chart->SetValueFormatter(app::FloatPatternText);
    chart->SetRepaintRequest([] {});
    chart->SetBounds(0, 0, 477, 310);
    chart->SetView3D(false);
    chart->SetAnimatedZoom(false);
    chart->Legend().SetLegendStyle(lsLastValues);
    for (TLineSeries* s : {&a, &b}) s->SetParentChart(chart.get());
    b.SetSeriesColor(clBlue);
  }
  // The primitives of one full paint, with the pen and brush of each.
  std::string Picture() {
    canvas->Clear();
    chart->Invalidate();
    chart->Paint();
    std::ostringstream out;
    for (const RecordingCanvas::Op& op : canvas->ops) {
      out << op.kind << ' ' << op.text << ' ' << op.pen.Color() << ' ' << op.pen.Width() << ' '
          << op.brush.Color() << ' ' << op.brush.Style();
      for (int v : op.args) out << ' ' << v;
      out << '\n';
    }
    return out.str();
  }
  RecordingCanvas* canvas = nullptr;
  std::unique_ptr<TChart> chart;
  TLineSeries a{"Input 1"};
  TLineSeries b{"Input 2"};
};

// Equal, or both NaN (a NaN reading makes the totals NaN).
bool Same(double a, double b) {
  return a == b || (std::isnan(a) && std::isnan(b));
}

void ExpectSameList(const TChartValueList& spilled, const TChartValueList& kept) {
  ASSERT_EQ(spilled.ValueCount(), kept.ValueCount());
  for (int i = 0; i < kept.ValueCount(); ++i) {
    const double s = spilled.ValueAt(i), k = kept.ValueAt(i);
    ASSERT_PRED2(Same, s, k) << i;
  }
  EXPECT_PRED2(Same, spilled.MinimumValue(), kept.MinimumValue());
  EXPECT_PRED2(Same, spilled.MaximumValue(), kept.MaximumValue());
  EXPECT_PRED2(Same, spilled.TotalValue(), kept.TotalValue());
  EXPECT_PRED2(Same, spilled.TotalAbsValue(), kept.TotalAbsValue());
  EXPECT_EQ(spilled.ReadAscending(), kept.ReadAscending());
  if (kept.ValueCount() > 0) {
    const int last = kept.ValueCount() - 1;
    EXPECT_EQ(spilled.LocateValue(kept.ValueAt(last / 2)),
              kept.LocateValue(kept.ValueAt(last / 2)));
    for (int first : {0, last / 3, last / 2}) {
      if (!kept.NoNaN()) break;
      const MinMax s = spilled.ReadMinMax(first, last), k = kept.ReadMinMax(first, last);
      EXPECT_EQ(s.min, k.min);
      EXPECT_EQ(s.max, k.max);
    }
  }
}

class SeriesSpill : public SpillFolderFixture {
 protected:
  // Runs f on the spilled panel with a low threshold, small chunks and a
  // staging area of a few blocks (or none), then on the kept panel with
  // columns that never leave the heap.
  template <typename F>
  void Both(F&& f) {
    SetSpillSettings(SpillSettings{300, 16384, stageBytes});
    f(spilled);
    SetSpillSettings(SpillSettings{std::numeric_limits<std::size_t>::max(), 16384});
    f(kept);
  }
  void ExpectSame() {
    for (auto [s, k] : {std::pair{&spilled.a, &kept.a}, std::pair{&spilled.b, &kept.b}}) {
      ExpectSameList(s->XValues(), k->XValues());
      ExpectSameList(s->YValues(), k->YValues());
      EXPECT_FALSE(k->XValues().Spilled());
      for (int i = 0; i < k->PointCount(); i += 97) ASSERT_EQ(s->PointColor(i), k->PointColor(i));
    }
    ASSERT_EQ(spilled.Picture(), kept.Picture());
    for (int x = 40; x < 470; x += 23)
      for (int y = 20; y < 300; y += 31) ASSERT_EQ(spilled.a.Clicked(x, y), kept.a.Clicked(x, y));
  }
  Panel spilled, kept;
  std::size_t stageBytes = 3 * 8192;
};

// Runs of readings, points out of order, deletions, changes, a changed
// multiplier, clearing, zoom, pan and undo, all on both panels: every
// answer and every picture the same.
TEST_F(SeriesSpill, FileBackedColumnsAnswerAndDrawAsHeapColumns) {
  std::mt19937 rng(20261209);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  double t = 0.0, walk = 0.0;
  int spills = 0;
  for (int step = 0; step < 120; ++step) {
    const int kind = static_cast<int>(rng() % 20);
    if (kind < 8) {  // readings one by one, as a run adds them
      const int n = 1 + static_cast<int>(rng() % 700);
      std::vector<double> x(n), y1(n), y2(n);
      for (int i = 0; i < n; ++i) {
        t += rng() % 10 == 0 ? 0.0 : 0.01;
        x[i] = t;
        y1[i] = walk += unit(rng) - 0.5;
        y2[i] = std::floor(unit(rng) * 8.0);
      }
      const TColor c = rng() % 9 == 0 ? clNone : 255;
      Both([&](Panel& p) {
        for (int i = 0; i < n; ++i) {
          ASSERT_GE(p.a.AddPoint(x[i], y1[i], {}, c), 0);
          p.b.AddPoint(x[i], y2[i], {}, 0xFFFFFF);
        }
      });
    } else if (kind < 12) {  // a loaded chunk in bulk
      const int n = 1 + static_cast<int>(rng() % 3000);
      std::vector<double> x(n), y(n);
      for (int i = 0; i < n; ++i) x[i] = t += 0.001, y[i] = 100.0 * std::sin(t) + unit(rng);
      Both([&](Panel& p) {
        p.a.AddPoints(x.data(), y.data(), x.size(), 255);
        p.b.AddPoints(x.data(), y.data(), x.size(), 0xFFFFFF);
      });
    } else if (kind < 14 && kept.a.PointCount() > 0) {  // a point inside: shifts the files
      const double x = unit(rng) * t;
      const double y = rng() % 17 == 0 ? std::nan("") : unit(rng) * 50.0;
      const TColor c = rng() % 2 ? clRed : 255;
      Both([&](Panel& p) { p.a.AddPoint(x, y, {}, c); });
    } else if (kind < 16 && kept.a.PointCount() > 0) {
      const int at = static_cast<int>(rng() % static_cast<unsigned>(kept.a.PointCount()));
      const double v = unit(rng) * 30.0 - 15.0;
      const bool erase = rng() % 2 == 0;
      Both([&](Panel& p) {
        if (erase) {
          p.a.DeletePoint(at);
        } else {
          p.a.YValues().ChangeValue(at, v);
        }
      });
    } else if (kind == 16) {
      const double m = rng() % 2 ? 1.0 : -0.5;
      Both([&](Panel& p) { p.b.YValues().SetMultiplier(m); });
    } else if (kind == 17 && rng() % 3 == 0) {
      // The columns spill again, with staging turned the other way.
      stageBytes = stageBytes == 0 ? 3 * 8192 : 0;
      Both([&](Panel& p) {
        p.a.ClearPoints();
        p.b.ClearPoints();
      });
    } else {  // the operator zooms, pans or undoes
      const int x0 = 60 + static_cast<int>(rng() % 200), y0 = 30 + static_cast<int>(rng() % 100);
      const int op = static_cast<int>(rng() % 3);
      Both([&](Panel& p) {
        p.Picture();  // the layout the operator sees
        if (op == 0)
          p.chart->Zooming().ZoomToRect(TZoomPanningRecord{x0, y0, x0 + 90, y0 + 120, true});
        if (op == 1) p.chart->Zooming().ScrollAxis(p.chart->BottomAxis(), x0, x0 + 37);
        if (op == 2) p.chart->Zooming().UndoZoom();
      });
    }
    spills += spilled.a.XValues().Spilled() ? 1 : 0;
    ASSERT_NO_FATAL_FAILURE(ExpectSame()) << "step " << step;
  }
  EXPECT_GT(spills, 60);  // the columns were in files for most steps
}

// The visible range over ascending x, found through the summary, against
// a scan of every x: steps that repeat x, ranges off either end, a range
// inside one x, lists on the heap and in a file.
TEST_F(SpillFolderFixture, VisibleRangeOfAnswersAsAScan) {
  std::mt19937 rng(7);
  for (const std::size_t threshold : {std::size_t{300}, std::numeric_limits<std::size_t>::max()}) {
    SetSpillSettings(SpillSettings{threshold, 16384, 2 * 8192});
    TChartSeries series("S");
    double x = 0.0;
    for (int i = 0; i < 9000; ++i) series.AddPoint(x += (rng() % 4 == 0 ? 0.0 : 0.5), 0.0);
    ASSERT_EQ(series.XValues().Spilled(), threshold == 300);
    const TChartValueList& xs = series.XValues();
    const int n = xs.ValueCount() - 1;
    for (int k = 0; k < 400; ++k) {
      const double lo = std::floor(std::uniform_real_distribution<double>(-10.0, x + 10.0)(rng));
      const double hi = lo + (k % 5 == 0 ? 0.0 : static_cast<double>(rng() % 500) * 0.5);
      const bool beyond = k % 2 == 0;
      VisibleRange expected;
      int first = 0;
      while (first <= n && xs.ValueAt(first) < lo) ++first;
      if (first <= n) {
        int last = first;
        while (last < n && xs.ValueAt(last) < hi) ++last;
        if (xs.ValueAt(n) <= hi) last = n;
        if (!beyond && xs.ValueAt(last) > hi) --last;
        expected = {first, last};
      }
      ASSERT_EQ(VisibleRangeOf(xs, lo, hi, beyond), expected) << lo << ' ' << hi;
    }
  }
}

}  // namespace
}  // namespace kolva::chart
