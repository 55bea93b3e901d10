// SPDX-License-Identifier: MIT
// The click test near the mouse's x against the scan of every visible
// point, over generated series: repeated x, gaps, points far off the plot,
// zoom windows, an inverted axis, pointers of several sizes.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "chart/line_series.h"
#include "chart_fixture_fake.h"

namespace kolva::chart {
namespace {

class SeriesClick : public testing::ChartFixture {
 protected:
  SeriesClick() {
    UseWindowPanel();
    chart->Legend().SetVisible(false);
  }

  // A series of up to 40 points in x order; some steps repeat x, some jump
  // far, some points are gaps (clNone) or lie far above the plot.
  void Fill(TLineSeries& series, std::mt19937& rng) {
    std::uniform_int_distribution<int> pick(0, 99);
    const int n = pick(rng) % 41;
    double x = pick(rng) - 50;
    for (int i = 0; i < n; ++i) {
      const int r = pick(rng);
      x += r < 15 ? 0.0 : r < 20 ? 1e6 : r < 25 ? 0.01 * r : pick(rng) * 0.1;
      const double y = pick(rng) < 5 ? 1e9 : pick(rng) - 50;
      series.AddPoint(x, y, "", pick(rng) < 10 ? clNone : clRed);
    }
  }

  // The mouse on and around every point on the panel and between
  // neighbours, and some anywhere on the panel.
  std::vector<TPoint> Probes(const TLineSeries& series, std::mt19937& rng) const {
    std::vector<TPoint> out;
    const auto onPanel = [](int v) { return std::clamp(v, -100, 600); };
    for (int i = 0; i < series.PointCount(); ++i) {
      const TPoint p{onPanel(series.PixelX(i)), onPanel(series.PixelY(i))};
      for (int d = -4; d <= 4; ++d) out.push_back(TPoint{p.X + d, p.Y + (d * 7) % 3});
      if (i > 0)
        out.push_back(TPoint{(p.X + onPanel(series.PixelX(i - 1))) / 2,
                             (p.Y + onPanel(series.PixelY(i - 1))) / 2});
    }
    std::uniform_int_distribution<int> x(-10, 490);
    std::uniform_int_distribution<int> y(-10, 320);
    for (int k = 0; k < 40; ++k) out.push_back(TPoint{x(rng), y(rng)});
    return out;
  }
};

TEST_F(SeriesClick, TheNearbyTestAnswersAsTheFullScan) {
  std::mt19937 rng(20261209);
  std::uniform_int_distribution<int> pick(0, 99);
  int probes = 0;
  int hits = 0;
  for (int round = 0; round < 400; ++round) {
    TLineSeries series("Series1");
    series.SetParentChart(chart.get());
    if (round % 10 == 9) series.XValues().SetOrder(loNone);  // x in any order
    Fill(series, rng);
    series.SetLimitToVisibleRange(pick(rng) < 70);
    series.SetClickableLine(pick(rng) < 80);
    series.Pointer().SetVisible(pick(rng) < 40);
    series.Pointer().SetHorizSize(pick(rng) % 9 - 1);
    series.Pointer().SetVertSize(pick(rng) % 6);
    TCustomChartAxis& bottom = chart->BottomAxis();
    bottom.SetInverted(pick(rng) < 25);
    if (pick(rng) < 50)
      bottom.SetManualRange(pick(rng) - 60, pick(rng) < 20 ? 2e6 : pick(rng) - 40.0);
    else
      bottom.SetAutomatic(true);
    chart->Paint();
    for (const TPoint& p : Probes(series, rng)) {
      const int expected = series.ClickedByScan(p.X, p.Y);
      ASSERT_EQ(series.Clicked(p.X, p.Y), expected)
          << "round " << round << " at " << p.X << "," << p.Y << " of " << series.PointCount();
      ++probes;
      hits += expected >= 0;
    }
  }
  // Enough of the probes land on a point or a segment to mean something.
  EXPECT_GT(hits, probes / 10) << probes;
}

}  // namespace
}  // namespace kolva::chart
