// SPDX-License-Identifier: MIT
// The value list's summary and order counts against plain scans, through
// appends, inserts, deletes, changes and clears; and the double-precision
// pixel mapping against the extended one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "chart/axis_scale.h"
#include "chart/chart_value_list.h"

namespace kolva::chart {
namespace {

class SummaryTest : public ::testing::TestWithParam<unsigned> {
 protected:
  // Checks every fast answer of the list against a scan of `plain`.
  void Check(std::mt19937& random) {
    ASSERT_EQ(list.ValueCount(), static_cast<int>(plain.size()));
    const bool nan = std::any_of(plain.begin(), plain.end(), [](double v) { return v != v; });
    EXPECT_EQ(list.NoNaN(), !nan);
    const double m = list.Multiplier();
    EXPECT_EQ(list.ReadAscending(), !nan && m > 0 && std::is_sorted(plain.begin(), plain.end()));
    if (plain.empty() || nan) return;
    for (int k = 0; k < 20; ++k) {
      auto a = static_cast<int>(random() % plain.size());
      auto b = static_cast<int>(random() % plain.size());
      if (a > b) std::swap(a, b);
      const auto [lo, hi] = std::minmax_element(plain.begin() + a, plain.begin() + b + 1);
      const MinMax read = list.ReadMinMax(a, b);
      EXPECT_EQ(read.min, m > 0 ? *lo * m : *hi * m);
      EXPECT_EQ(read.max, m > 0 ? *hi * m : *lo * m);
      const double cut = *lo + (*hi - *lo) * 0.3;  // values at or above pass
      const double readCut = cut * m;              // read values on the cut's side pass
      int expected = -1;
      for (int i = b; i >= a && expected < 0; --i)
        if (plain[static_cast<std::size_t>(i)] < cut) expected = i;
      const auto passes = [&](double v) { return m > 0 ? v >= readCut : v <= readCut; };
      EXPECT_EQ(list.LastReadOutside(a, b, passes), expected);
    }
  }

  TChartValueList list{nullptr, "Y"};
  std::vector<double> plain;
};

TEST_P(SummaryTest, FastAnswersMatchScansThroughEveryChange) {
  std::mt19937 random(GetParam());
  std::uniform_real_distribution<double> value(-1e3, 1e3);
  if (GetParam() % 3 == 0) list.SetMultiplier(-2.0);
  double next = 0.0;
  for (int round = 0; round < 40; ++round) {
    const unsigned op = random() % 10;
    const auto at = static_cast<int>(plain.empty() ? 0 : random() % plain.size());
    if (op < 5) {  // a stretch of appends, mostly ascending
      for (int i = 0; i < 300; ++i) {
        next += random() % 8 == 0 ? -1.0 : 1.0;
        list.AddOrdered(next);
        plain.push_back(next);
      }
    } else if (op == 5) {
      const double v = value(random);
      list.InsertValueAt(at, v);
      plain.insert(plain.begin() + at, v);
    } else if (op == 6 && !plain.empty()) {
      list.DeleteValue(at);
      plain.erase(plain.begin() + at);
    } else if (op == 7 && !plain.empty()) {
      const double v = random() % 5 == 0 ? std::numeric_limits<double>::quiet_NaN() : value(random);
      list.ChangeValue(at, v);
      plain[static_cast<std::size_t>(at)] = v;
    } else if (op == 8 && !plain.empty()) {  // undo NaNs and disorder
      std::sort(plain.begin(), plain.end(), [](double a, double b) { return a < b || b != b; });
      for (double& v : plain) v = v != v ? next : v;
      list.RemoveAll();
      for (double v : plain) list.AddOrdered(v);
    } else if (op == 9 && random() % 4 == 0) {
      list.RemoveAll();
      plain.clear();
    }
    Check(random);
  }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SummaryTest, ::testing::Range(1u, 25u));

TEST(SummaryLevels, RangesAcrossEveryLevel) {
  TChartValueList list(nullptr, "Y");
  std::vector<double> plain;
  std::mt19937 random(7);
  for (int i = 0; i < 300000; ++i) {
    const double v = std::sin(i * 1e-4) * 1e3 + (random() % 1000) * 1e-3;
    list.AddOrdered(v);
    plain.push_back(v);
  }
  const auto expectScan = [&](int a, int b) {
    const auto [lo, hi] = std::minmax_element(plain.begin() + a, plain.begin() + b + 1);
    EXPECT_EQ(list.ReadMinMax(a, b).min, *lo) << a << ' ' << b;
    EXPECT_EQ(list.ReadMinMax(a, b).max, *hi) << a << ' ' << b;
  };
  for (auto [a, b] : {std::pair{0, 299999}, {17, 262200}, {1023, 16385}, {70000, 70063}})
    expectScan(a, b);
  // Extremes at the ends of a range, where entries that do not widen the
  // answer are not read: in the first and last values, and in the newest
  // values, which only a level-0 entry holds until its 128 are complete.
  plain[17] = 2e3;
  list.ChangeValue(17, 2e3);
  expectScan(17, 262200);
  expectScan(16, 262200);
  for (const double spike : {5e3, -5e3}) {
    list.AddOrdered(spike);
    plain.push_back(spike);
    expectScan(17, static_cast<int>(plain.size()) - 1);
    expectScan(20000, static_cast<int>(plain.size()) - 1);
  }
}

// Random mappings and values, and values placed on and beside rounding ties.
TEST(PixelMapperTest, GivesTheExtendedMappingsInteger) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  int checked = 0;
  for (int m = 0; m < 400; ++m) {
    AxisMapping mapping;
    mapping.horizontal = m % 2 == 0;
    mapping.inverted = m % 5 == 0;
    mapping.low = static_cast<int>(random() % 200);
    mapping.high = mapping.low + 1 + static_cast<int>(random() % 900);
    mapping.rangeMin = (unit(random) - 0.5) * std::pow(10.0, static_cast<int>(random() % 12) - 4);
    mapping.rangeSpan = std::pow(10.0, static_cast<int>(random() % 14) - 6) * (0.1 + unit(random));
    mapping.rangeMax = mapping.rangeMin + mapping.rangeSpan;
    const PixelMapper fast(mapping);
    const double length = mapping.high - mapping.low;
    for (int k = 0; k < 2000; ++k) {
      double v = mapping.rangeMin + (unit(random) * 1.4 - 0.2) * mapping.rangeSpan;
      if (k % 2 == 0) {  // on a tie, or a few units in the last place beside it
        const double tie = (std::floor(unit(random) * length) + 0.5) * mapping.rangeSpan / length;
        v = mapping.rangeMin + tie;
        for (int step = static_cast<int>(random() % 7) - 3; step != 0; step += step > 0 ? -1 : 1)
          v = std::nextafter(v, step > 0 ? INFINITY : -INFINITY);
      }
      ASSERT_EQ(fast(v), ValueToPixel(mapping, v)) << "value " << v << " mapping " << m;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 800000);
  AxisMapping flat;
  flat.low = 10;
  flat.high = 30;
  EXPECT_EQ(PixelMapper(flat)(123.0), 20);  // a zero span maps to the middle
}

}  // namespace
}  // namespace kolva::chart
