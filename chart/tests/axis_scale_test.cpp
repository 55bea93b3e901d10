// SPDX-License-Identifier: MIT
#include "chart/axis_scale.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <vector>

namespace kolva::chart {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(AxisRoundingTest, TiesGoToEvenAndOutOfRangeSaturates) {
  struct Case {
    long double in;
    int out;
  };
  const Case cases[] = {{0.5L, 0},   {1.5L, 2},        {2.5L, 2},         {-0.5L, 0},
                        {-1.5L, -2}, {-2.5L, -2},      {2.4999L, 2},      {2.5001L, 3},
                        {-7.6L, -8}, {1e20L, INT_MAX}, {-1e20L, INT_MIN}, {kNaN, INT_MIN}};
  for (const Case& c : cases) EXPECT_EQ(RoundToInt(c.in), c.out) << static_cast<double>(c.in);
}

AxisMapping Horizontal(int left, int right, double min, double max, bool inverted = false) {
  return {min, max, max - min, left, right, true, inverted};
}

AxisMapping Vertical(int top, int bottom, double min, double max, bool inverted = false) {
  return {min, max, max - min, top, bottom, false, inverted};
}

TEST(AxisMappingTest, ValueToPixel) {
  struct Case {
    AxisMapping mapping;
    double value;
    int pixel;
  };
  const Case cases[] = {
      {Horizontal(10, 410, 0, 10), 0, 10},
      {Horizontal(10, 410, 0, 10), 10, 410},
      {Horizontal(10, 410, 0, 10), 5, 210},
      {Horizontal(10, 410, 0, 10), -1, -30},
      {Horizontal(10, 410, 0, 10, true), 0, 410},
      {Horizontal(10, 410, 0, 10, true), 10, 10},
      {Horizontal(10, 410, 0, 800), 1, 10},  // t = 0.5 rounds to 0
      {Horizontal(10, 410, 0, 800), 3, 12},  // t = 1.5 rounds to 2
      {Horizontal(10, 410, 0, 800), 5, 12},  // t = 2.5 rounds to 2
      {Vertical(20, 220, 0, 10), 0, 220},
      {Vertical(20, 220, 0, 10), 10, 20},
      {Vertical(20, 220, 0, 10), 2.5, 170},
      {Vertical(20, 220, 0, 10, true), 0, 20},
      {Vertical(20, 220, 0, 10, true), 10, 220},
      {Vertical(20, 220, 0, 400), 1, 220},  // -0.5 rounds to 0
      {Vertical(20, 220, 0, 400), 3, 218},  // -1.5 rounds to -2
      // A zero span puts every value at the centre, (low + high) div 2.
      {Horizontal(10, 411, 5, 5), 123, 210},
      {Vertical(20, 221, 5, 5), -9, 120},
      {Horizontal(-5, 2, 1, 1), 1, -1},  // the division truncates toward zero
      // Far off the plot the pixel saturates rather than wrapping around.
      {Horizontal(0, 400, 0, 1), 1e30, INT_MAX},
      {Vertical(0, 400, 0, 1), 1e30, INT_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ValueToPixel(c.mapping, c.value), c.pixel)
        << "value " << c.value << " range " << c.mapping.rangeMin << ".." << c.mapping.rangeMax
        << " extent " << c.mapping.low << ".." << c.mapping.high
        << (c.mapping.horizontal ? " horizontal" : " vertical")
        << (c.mapping.inverted ? " inverted" : "");
  }
}

TEST(AxisMappingTest, PixelToValue) {
  struct Case {
    AxisMapping mapping;
    int pixel;
    double value;
  };
  const Case cases[] = {
      {Horizontal(10, 410, 0, 10), 10, 0},
      {Horizontal(10, 410, 0, 10), 410, 10},
      {Horizontal(10, 410, 0, 10), 30, 0.5},
      {Horizontal(10, 410, 0, 10, true), 30, 9.5},
      {Vertical(20, 220, 0, 10), 20, 10},
      {Vertical(20, 220, 0, 10), 220, 0},
      {Vertical(20, 220, 0, 10), 40, 9},
      {Vertical(20, 220, 0, 10, true), 40, 1},
      // Narrower or lower than one pixel: always 0.
      {Horizontal(10, 10, 3, 7), 10, 0},
      {Vertical(30, 20, 3, 7), 25, 0},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(PixelToValue(c.mapping, c.pixel), c.value)
        << "pixel " << c.pixel << (c.mapping.horizontal ? " horizontal" : " vertical")
        << (c.mapping.inverted ? " inverted" : "");
  }
}

TEST(AxisMappingTest, EveryPixelMapsBackToItself) {
  const AxisMapping mappings[] = {Horizontal(15, 456, -3.7, 1234.5),
                                  Horizontal(15, 456, 0.1, 0.3, true), Vertical(13, 291, -750, 750),
                                  Vertical(13, 291, 1e-9, 3e-9, true)};
  for (const AxisMapping& m : mappings) {
    for (int p = m.low; p <= m.high; ++p) {
      ASSERT_EQ(ValueToPixel(m, PixelToValue(m, p)), p) << "from " << m.rangeMin;
    }
  }
}

TEST(AxisAutoRangeTest, TakesTheExtremesOfSeriesWithPoints) {
  const std::vector<AxisSeriesExtent> none;
  EXPECT_EQ(AutoRangeValue(none, true), 0.0);
  EXPECT_EQ(AutoRangeValue(none, false), 0.0);

  // A series without points does not count, whatever its figures say.
  const std::vector<AxisSeriesExtent> series = {
      {0, -100.0, 100.0}, {3, 2.0, 8.0}, {5, -1.5, 6.0}, {2, 4.0, 9.5}};
  EXPECT_EQ(AutoRangeValue(series, true), -1.5);
  EXPECT_EQ(AutoRangeValue(series, false), 9.5);

  const std::vector<AxisSeriesExtent> onlyEmpty = {{0, -3.0, 3.0}};
  EXPECT_EQ(AutoRangeValue(onlyEmpty, true), 0.0);

  // The first counting series sets the result even when it is above zero.
  const std::vector<AxisSeriesExtent> positive = {{1, 5.0, 5.0}};
  EXPECT_EQ(AutoRangeValue(positive, true), 5.0);
  EXPECT_EQ(AutoRangeValue(positive, false), 5.0);
}

TEST(AxisRangeTest, SeriesMarginsWidenTheRange) {
  // Zero margins keep the range bit for bit.
  const AxisMapping tenths = Horizontal(15, 456, 0.1, 0.3);
  const AxisRange same = RangeWithMargins(tenths, 0, 0);
  EXPECT_EQ(same.minimum, 0.1);
  EXPECT_EQ(same.maximum, 0.3);

  const AxisRange h = RangeWithMargins(Horizontal(0, 100, 0, 100), 10, 10);
  EXPECT_DOUBLE_EQ(h.minimum, -12.5);
  EXPECT_DOUBLE_EQ(h.maximum, 112.5);

  // Vertical: the low margin is at the top, i.e. at the maximum.
  const AxisRange v = RangeWithMargins(Vertical(0, 100, 0, 100), 10, 30);
  EXPECT_DOUBLE_EQ(v.minimum, -50.0);
  EXPECT_DOUBLE_EQ(v.maximum, 100.0 + 100.0 / 6.0);

  // Inverted, the ends come out swapped and are put back in order.
  const AxisRange inv = RangeWithMargins(Horizontal(0, 100, 0, 100, true), 10, 10);
  EXPECT_DOUBLE_EQ(inv.minimum, -12.5);
  EXPECT_DOUBLE_EQ(inv.maximum, 112.5);
}

TEST(AxisRangeTest, ManualRangeOrdersTheEndsAndKeepsAMinimumSpan) {
  struct Case {
    double a, b, minimum, maximum;
  };
  const Case cases[] = {
      {2, 2, 2, 2.0000000001},
      {1, 5, 1, 5},
      {5, 1, 1, 5},
      {-3, -3, -3, -3 + 1e-10},
      {2, 2 + 5e-11, 2, 2 + 5e-11 + 1e-10},
      // Reversed and too close: a stays the minimum, b + the span the maximum.
      {2 + 5e-11, 2, 2 + 5e-11, 2 + 1e-10},
  };
  for (const Case& c : cases) {
    const AxisRange r = ManualRangeOf(c.a, c.b);
    EXPECT_DOUBLE_EQ(r.minimum, c.minimum) << c.a << ", " << c.b;
    EXPECT_DOUBLE_EQ(r.maximum, c.maximum) << c.a << ", " << c.b;
    EXPECT_GE(r.maximum - r.minimum, 0.0);
  }
  EXPECT_EQ(ManualRangeOf(2, 2).maximum, 2.0000000001);
}

TEST(AxisLabelCountTest, GrowsTheLabelBySeparationAndDividesTheLength) {
  struct Case {
    int size, length, separation, count;
  };
  const Case cases[] = {
      {12, 400, 10, 31},                  // 12 + round(1.2) = 13, round(30.8) = 31
      {12, 400, 0, 33},  {10, 25, 0, 2},  // 2.5 rounds to even
      {10, 35, 0, 4},                     // 3.5 rounds to even
      {0, 400, 10, 1},   {-3, 400, 10, 1}, {20, 400, 100, 10}, {13, 0, 10, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MaxLabelCount(c.size, c.length, c.separation), c.count)
        << c.size << " " << c.length << " " << c.separation;
  }
}

TEST(AxisStepTest, NextNiceStepWalksOneTwoFive) {
  struct Case {
    double in, out;
  };
  const Case cases[] = {{1, 2},     {1.5, 2},   {2, 5},   {3, 5},      {4.99, 5},   {5, 10},
                        {7, 10},    {10, 20},   {20, 50}, {30, 50},    {50, 100},   {99, 100},
                        {1e6, 2e6}, {0.1, 0.2}, {0.5, 1}, {0.25, 0.5}, {0.03, 0.05}};
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(NextNiceStep(c.in), c.out) << c.in;
  // The double nearest 1e-12 lies just below it, off the sequence, so the
  // first move only reaches the member 1e-12 itself (from above).
  const double first = NextNiceStep(kMinLabelStep);
  EXPECT_GT(first, kMinLabelStep);
  EXPECT_DOUBLE_EQ(first, 1e-12);
  EXPECT_DOUBLE_EQ(NextNiceStep(first), 2e-12);
  EXPECT_EQ(NextNiceStep(kInf), kInf);
  EXPECT_EQ(NextNiceStep(0.0), 0.0);
}

TEST(AxisStepTest, LabelStep) {
  struct Case {
    int count;
    double increment, span;
    int separation;
    double step;
  };
  const Case cases[] = {
      {31, 0, 10, 10, 1},            // x from 0 to 10 on 400 pixels
      {0, 0, 10, 10, 1e-12},         // no room for a label
      {-2, 5, 10, 10, 1e-12},        //
      {31, 0, 0, 10, 1e-12},         // empty chart or all values equal
      {10, 0, 0.5, 10, 0.05},        // below 1 the search starts at 1e-12
      {31, 0, 1000, 10, 50},         // 1, 2, 5, 10, 20, 50
      {31, 3, 10, 10, 3},            // an increment with enough room stays
      {10, 3, 100, 10, 10},          // 3 -> 5 -> 10
      {10, 3, 1000, 10, 100},        // ... -> 20 -> 50 -> 100
      {10, 0, 1e15, 10, 1e14},       // quotients beyond 2^31 step on
      {31, 0, 1000, 0, 1},           // no separation: no search
      {31, 0, 0.5, 0, 1e-12},        //
      {31, 3, 1000, 0, 3},           //
      {31, 1e-15, 1e-13, 0, 1e-12},  // never below the minimum step
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(LabelStep(c.count, c.increment, c.span, c.separation), c.step)
        << "n " << c.count << " increment " << c.increment << " span " << c.span << " sep "
        << c.separation;
  }
}

TEST(AxisStepTest, NonFiniteSpansEndTheSearch) {
  EXPECT_FALSE(std::isfinite(LabelStep(10, 0, kInf, 10)));
  EXPECT_FALSE(std::isfinite(LabelStep(10, 0, kNaN, 10)));
}

struct LoopCase {
  const char* name;
  LabelLoop loop;
  std::vector<double> values;
};

TEST(AxisLabelLoopTest, WalksDownFromTheTop) {
  const LoopCase cases[] = {
      {"zero to ten", {0, 10, 1, true, true}, {10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0}},
      {"ends excluded", {0, 10, 1, true, false}, {9, 8, 7, 6, 5, 4, 3, 2, 1}},
      {"empty chart", {0, 0, 1e-12, true, true}, {0}},
      {"all equal", {5, 5, 1e-12, true, true}, {}},
      {"negative top", {-10, -3.7, 1, true, true}, {-4, -5, -6, -7, -8, -9, -10}},
      {"first not rounded", {0.5, 3.5, 1, false, true}, {3.5, 2.5, 1.5, 0.5}},
      {"equal ends, off the step", {0.7, 0.7, 1, true, true}, {0.7}},
      {"inverted range", {3, 1, 1, true, true}, {}},
      {"zero step", {0, 10, 0, true, true}, {}},
      {"NaN range", {kNaN, kNaN, 1, true, true}, {}},
  };
  for (const LoopCase& c : cases) EXPECT_EQ(LabelValues(c.loop), c.values) << c.name;
}

TEST(AxisLabelLoopTest, GuardsBoundTheLabelCount) {
  // 9999 steps in the range still label every one of them ...
  EXPECT_EQ(LabelValues({0, 9999, 1, true, true}).size(), 10000u);
  // ... 10000 steps label nothing at all.
  EXPECT_TRUE(LabelValues({0, 10000, 1, true, true}).empty());
  // The top of the range divided by the step must stay below 2^31 - 1.
  EXPECT_EQ(LabelValues({2147483640, 2147483646, 1, true, true}).size(), 7u);
  EXPECT_TRUE(LabelValues({2147483640, 2147483647, 1, true, true}).empty());
  EXPECT_TRUE(LabelValues({-2147483650.0, -2147483647.0, 1, true, true}).empty());
}

TEST(AxisLabelLoopTest, LabelEndsRoundTowardZero) {
  const AxisRange rounded = LabelEnds(-3.7, 12.3, 1, true);
  EXPECT_EQ(rounded.minimum, -3.0);
  EXPECT_EQ(rounded.maximum, 12.0);
  const AxisRange byFive = LabelEnds(-13, 27, 5, true);
  EXPECT_EQ(byFive.minimum, -10.0);
  EXPECT_EQ(byFive.maximum, 25.0);
  const AxisRange plain = LabelEnds(-3.7, 12.3, 1, false);
  EXPECT_EQ(plain.minimum, -3.7);
  EXPECT_EQ(plain.maximum, 12.3);
}

}  // namespace
}  // namespace kolva::chart
