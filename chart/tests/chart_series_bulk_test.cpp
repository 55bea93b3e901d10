// SPDX-License-Identifier: MIT
// AddPoints against AddPoint one point at a time: two series fed the same
// batches must agree in everything a caller or a paint can read.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "chart/chart_series.h"
#include "chart_fixture_fake.h"

namespace kolva::chart {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::uint64_t Bits(double v) {
  return std::bit_cast<std::uint64_t>(v);
}

// Walk: x ascending with equal steps, y a random walk. Disorder: x steps
// back now and then, inside a batch and at its start. Unusual: NaN in x
// and y (forced at the first index of some summary entries), stretches of
// +0 / -0 in both, huge, infinite and subnormal y.
enum class Data { Walk, Disorder, Unusual };
enum class Watch { None, BeforeAdd, AfterAdd, Dependent, Labels };

struct BulkCase {
  const char* name;
  Data data;
  std::vector<std::size_t> batches;
  std::vector<TColor> colors;  // per batch, in turn
  Watch watch = Watch::None;
  TChartListOrder xOrder = loAscending;
  double yMultiplier = 1.0;
  // Afterwards each NaN x is changed to the x before it (X is then in
  // order): what the lists counted of order and NaN must show.
  bool mendX = false;
};

struct Points {
  std::vector<double> x, y;
};

Points Make(Data data, std::size_t n, std::size_t start, double& x, std::mt19937& random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  Points p;
  double walk = 0.0;
  if (data == Data::Disorder && random() % 2 == 0) x -= 3.0;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t at = start + i;
    x += random() % 8 == 0 ? 0.0 : unit(random);
    if (data == Data::Disorder && random() % 200 == 0) x -= 5.0 * unit(random);
    double px = x, py = (at % 4096) * 0.5 - unit(random) * 1e3;
    if (data == Data::Unusual) {
      // A walk above zero with +0 / -0 ties at its bottom, so that which
      // zero comes first decides the minima, and rare extremes.
      walk = std::fabs(walk + unit(random) * 10.0 - 5.0);
      const double unusual[] = {1e308, -kInf, 5e-324, kNaN, 0.0, -0.0};
      const unsigned pick = random() % 4096;
      py = pick < 3 ? unusual[pick] : pick < 60 ? unusual[3 + pick % 3] : walk;
      // NaN first in the list, and first in an entry that is not the first
      // below its parent.
      if (at == 0 || at % 1024 == 320 || at % 16384 == 3072) py = kNaN;
      if (at < 300) px = random() % 2 ? 0.0 : -0.0;
      if (at == 0 || random() % 40 == 0) px = kNaN;
    }
    p.x.push_back(px);
    p.y.push_back(py);
  }
  return p;
}

// One side of the comparison: a series, what its hooks saw, and a series
// that copies it.
struct Side {
  TChartSeries series{"S"};
  TChartSeries copy{"copy"};
  int beforeCalls = 0;
  std::vector<int> afterIndices;

  void Watch(const BulkCase& c, TChart& chart) {
    series.XValues().SetOrder(c.xOrder);
    series.YValues().SetMultiplier(c.yMultiplier);
    series.SetParentChart(&chart);
    copy.SetParentChart(&chart);
    // The chart gives each series a colour of its own; both sides alike.
    series.SetSeriesColor(clGreen);
    copy.SetSeriesColor(clGreen);
    if (c.watch == Watch::BeforeAdd)
      series.OnBeforeAdd = [this](TChartSeries& s) {
        return ++beforeCalls % 3 != 0 || s.YValues().StagedValue > 0;
      };
    if (c.watch == Watch::AfterAdd)
      series.OnAfterAdd = [this](TChartSeries&, int index) { afterIndices.push_back(index); };
    if (c.watch == Watch::Dependent) copy.AddDataSource(&series);
    if (c.watch == Watch::Labels) series.AddPoint(-1e9, 1, "first", clRed);
  }
};

void ExpectSameList(const TChartValueList& a, const TChartValueList& b, std::mt19937& random) {
  ASSERT_EQ(a.ValueCount(), b.ValueCount());
  const int n = a.ValueCount();
  for (int i = 0; i < n; ++i) ASSERT_EQ(Bits(a.ValueAt(i)), Bits(b.ValueAt(i))) << i;
  EXPECT_EQ(Bits(a.MinimumValue()), Bits(b.MinimumValue()));
  EXPECT_EQ(Bits(a.MaximumValue()), Bits(b.MaximumValue()));
  EXPECT_EQ(Bits(a.TotalValue()), Bits(b.TotalValue()));
  EXPECT_EQ(Bits(a.TotalAbsValue()), Bits(b.TotalAbsValue()));
  EXPECT_EQ(a.ReadAscending(), b.ReadAscending());
  EXPECT_EQ(a.NoNaN(), b.NoNaN());
  EXPECT_EQ(a.StorageBytes(), b.StorageBytes());
  if (n == 0) return;
  // Whole summary entries of each level and random ranges; the answers
  // must agree bit for bit even where a NaN makes them meaningless.
  std::vector<std::pair<int, int>> ranges;
  for (int size : {64, 1024, 16384, 262144})
    for (int first = 0; first + size <= n; first += size)
      ranges.push_back({first, first + size - 1});
  for (int k = 0; k < 60; ++k) {
    auto first = static_cast<int>(random() % n), last = static_cast<int>(random() % n);
    ranges.push_back({std::min(first, last), std::max(first, last)});
  }
  for (auto [first, last] : ranges) {
    const MinMax ma = a.ReadMinMax(first, last), mb = b.ReadMinMax(first, last);
    ASSERT_EQ(Bits(ma.min), Bits(mb.min)) << first << ".." << last;
    ASSERT_EQ(Bits(ma.max), Bits(mb.max)) << first << ".." << last;
    const double cut = a.ValueAt(static_cast<int>(random() % n));
    const auto above = [cut](double v) { return v >= cut; };
    const auto below = [cut](double v) { return v <= cut; };
    ASSERT_EQ(a.LastReadOutside(first, last, above), b.LastReadOutside(first, last, above));
    ASSERT_EQ(a.LastReadOutside(first, last, below), b.LastReadOutside(first, last, below));
  }
}

void ExpectSameSeries(const TChartSeries& a, const TChartSeries& b, std::mt19937& random) {
  ASSERT_EQ(a.PointCount(), b.PointCount());
  for (int i = 0; i <= a.PointCount(); ++i) {
    ASSERT_EQ(a.PointColor(i), b.PointColor(i)) << i;
    ASSERT_EQ(a.PointLabel(i), b.PointLabel(i)) << i;
  }
  EXPECT_EQ(a.OneColorForAll(), b.OneColorForAll());
  EXPECT_EQ(a.StorageBytes(), b.StorageBytes());
  ExpectSameList(a.XValues(), b.XValues(), random);
  ExpectSameList(a.YValues(), b.YValues(), random);
}

class SeriesBulkTest : public testing::ChartFixture,
                       public ::testing::WithParamInterface<BulkCase> {};

TEST_P(SeriesBulkTest, EqualsAddPointOneByOne) {
  const BulkCase& c = GetParam();
  Side single, bulk;
  single.Watch(c, *chart);
  bulk.Watch(c, *chart);
  std::mt19937 random(17);
  double x = 0.0;
  std::size_t start = 0;
  for (std::size_t b = 0; b < c.batches.size(); ++b) {
    const std::size_t n = c.batches[b];
    const TColor color = c.colors[b % c.colors.size()];
    const Points p = Make(c.data, n, start, x, random);
    start += n;
    int expected = -1;
    for (std::size_t i = 0; i < n; ++i) {
      const int index = single.series.AddPoint(p.x[i], p.y[i], {}, color);
      if (index >= 0) expected = index;
    }
    Turn();
    EXPECT_EQ(bulk.series.AddPoints(p.x.data(), p.y.data(), n, color), expected) << b;
    EXPECT_EQ(chart->RepaintPending(), expected >= 0) << b;
    ExpectSameSeries(single.series, bulk.series, random);
    ExpectSameSeries(single.copy, bulk.copy, random);
    ASSERT_EQ(single.beforeCalls, bulk.beforeCalls);
    ASSERT_EQ(single.afterIndices, bulk.afterIndices);
  }
  if (!c.mendX) return;
  for (Side* side : {&single, &bulk}) {
    TChartValueList& xs = side->series.XValues();
    for (int i = 0; i < xs.ValueCount(); ++i)
      if (std::isnan(xs.ValueAt(i))) xs.ChangeValue(i, i > 0 ? xs.ValueAt(i - 1) : -1.0);
  }
  EXPECT_TRUE(bulk.series.XValues().ReadAscending());
  ExpectSameSeries(single.series, bulk.series, random);
}

const std::vector<std::size_t> kEdges = {0, 1, 1, 62, 64, 65, 0, 1023, 1025, 4096, 3, 16000};

INSTANTIATE_TEST_SUITE_P(
    Cases, SeriesBulkTest,
    ::testing::Values(
        BulkCase{"Walk", Data::Walk, kEdges, {255}},
        BulkCase{"WalkToLevelThree", Data::Walk, {1, 70000, 100000, 200000, 5}, {clAutoColor}},
        BulkCase{"Disorder", Data::Disorder, kEdges, {255, 255, clBlue, clDefault}},
        BulkCase{"Unusual", Data::Unusual, {5, 999, 40000, 66000}, {255, clBlue}},
        BulkCase{
            "UnusualScaled", Data::Unusual, kEdges, {clAutoColor}, Watch::None, loNone, -0.5, true},
        BulkCase{"Descending", Data::Disorder, {1, 500, 700}, {255}, Watch::None, loDescending},
        BulkCase{"BeforeAdd", Data::Disorder, {3, 1025, 200}, {255}, Watch::BeforeAdd},
        BulkCase{"AfterAdd", Data::Walk, {3, 1025, 200}, {255}, Watch::AfterAdd},
        BulkCase{"Dependent", Data::Disorder, {3, 1025, 200}, {255, clRed}, Watch::Dependent},
        BulkCase{"Labels", Data::Walk, {3, 1025, 200}, {255}, Watch::Labels}),
    [](const ::testing::TestParamInfo<BulkCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kolva::chart
