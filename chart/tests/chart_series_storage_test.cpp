// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <vector>

#include "chart/chart_series.h"

namespace kolva::chart {
namespace {

std::vector<TColor> Colours(const TChartSeries& series) {
  std::vector<TColor> out;
  for (int i = 0; i < series.PointCount(); ++i) out.push_back(series.PointColor(i));
  return out;
}

// Points that all share one colour keep it once; the first point with
// another colour, added anywhere, must leave every earlier point its own.
TEST(SeriesStorageTest, SharedColourSpreadsWhenAPointDiffers) {
  TChartSeries series("S");
  series.SetSeriesColor(clGreen);
  for (int i = 0; i < 3000; ++i) series.AddPoint(i, i, {}, 255);
  const std::size_t shared = series.StorageBytes();
  EXPECT_EQ(series.PointColor(2999), 255u);
  EXPECT_EQ(series.AddPoint(1000.5, 0, {}, clBlue), 1001);
  EXPECT_GT(series.StorageBytes(), shared);
  std::vector<TColor> expected(3001, 255u);
  expected[1001] = clBlue;
  EXPECT_EQ(Colours(series), expected);
  series.AddPoint(-1, 0, {}, clDefault);  // stored as clAutoColor: the series colour
  EXPECT_EQ(series.PointColor(0), clGreen);
  EXPECT_EQ(series.PointColor(1002), clBlue);
  series.DeletePoint(1002);
  EXPECT_EQ(series.PointColor(1002), 255u);
  EXPECT_EQ(series.PointColor(series.PointCount()), clGreen);
}

TEST(SeriesStorageTest, ColoursAfterClearDeleteAndColorEachPointOff) {
  TChartSeries series("S");
  series.SetSeriesColor(clRed);
  series.AddPoint(0, 0, {}, clBlue);
  series.DeletePoint(0);
  series.AddPoint(1, 0, {}, clYellow);  // the first point again decides the shared colour
  series.AddPoint(2, 0, {}, clYellow);
  EXPECT_EQ(Colours(series), (std::vector<TColor>{clYellow, clYellow}));

  series.ClearPoints();
  series.AddPoint(1, 0, {}, 255);
  series.AddPoint(2, 0, {}, 0xFFFFFF);
  EXPECT_EQ(Colours(series), (std::vector<TColor>{255u, 0xFFFFFFu}));

  series.SetColorEachPoint(true);
  series.SetColorEachPoint(false);  // every stored colour becomes clAutoColor
  EXPECT_EQ(Colours(series), (std::vector<TColor>{clRed, clRed}));
  series.AddPoint(3, 0, {}, clBlue);
  EXPECT_EQ(Colours(series), (std::vector<TColor>{clRed, clRed, clBlue}));
}

// Points added in and out of order across many storage blocks keep X
// sorted with Y, colour and label beside their x.
TEST(SeriesStorageTest, OutOfOrderPointsAcrossBlocksStayTogether) {
  TChartSeries series("S");
  const int n = 5000;
  for (int i = 0; i < n; ++i) series.AddPoint(2.0 * i, -2.0 * i, {}, 255);
  for (int i = n - 1; i >= 0; i -= 997) {
    int index = series.AddPoint(2.0 * i + 1, -2.0 * i - 1, "odd", clBlue);
    EXPECT_EQ(index, i + 1);
  }
  for (int i = 1; i < series.PointCount(); ++i) {
    ASSERT_LT(series.XValue(i - 1), series.XValue(i)) << i;
    ASSERT_EQ(series.YValue(i), -series.XValue(i)) << i;
    bool odd = static_cast<long long>(series.XValue(i)) % 2 != 0;
    ASSERT_EQ(series.PointColor(i), odd ? clBlue : 255u) << i;
    ASSERT_EQ(series.PointLabel(i), odd ? "odd" : "") << i;
  }
  EXPECT_EQ(series.PointCount(), n + 6);
  EXPECT_EQ(series.XMaximum(), 2.0 * (n - 1) + 1);  // the first odd point went last
  EXPECT_EQ(series.YMinimum(), -2.0 * (n - 1) - 1);
}

}  // namespace
}  // namespace kolva::chart
