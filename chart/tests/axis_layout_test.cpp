// SPDX-License-Identifier: MIT
// Where ticks, grid lines and label texts go on each side of the plot.
#include "chart/axis_layout.h"

#include <gtest/gtest.h>

#include <vector>

#include "chart/canvas.h"

namespace kolva::chart {
namespace {

using K = AxisMarkKind;

AxisMark Seg(K kind, int x0, int y0, int x1, int y1) {
  return {kind, x0, y0, x1, y1, 0, {}};
}

// Plot (100, 50)-(300, 250); two labels, the first at the range end.
struct SideCase {
  AxisSide side;
  int linePos, labelsPos;
  std::vector<AxisMark> marks;
};

TEST(AxisLayoutTest, MarksOnEachSide) {
  const std::vector<SideCase> cases = {
      {AxisSide::kBottom,
       250,
       256,
       {Seg(K::kTick, 200, 251, 200, 255),
        Seg(K::kInnerTick, 200, 249, 200, 246),
        {K::kLabel, 200, 256, 0, 0, kTextAlignCenter, "10"},
        Seg(K::kTick, 160, 251, 160, 255),
        Seg(K::kGrid, 160, 249, 160, 50),
        Seg(K::kInnerTick, 160, 249, 160, 246),
        Seg(K::kMinorTick, 180, 251, 180, 253),
        {K::kLabel, 160, 256, 0, 0, kTextAlignCenter, "9"}}},
      {AxisSide::kTop,
       50,
       44,
       {Seg(K::kTick, 200, 49, 200, 45),
        Seg(K::kInnerTick, 200, 51, 200, 54),
        {K::kLabel, 200, 44, 0, 0, kTextAlignCenter | kTextAlignBottom, "10"},
        Seg(K::kTick, 160, 49, 160, 45),
        Seg(K::kGrid, 160, 51, 160, 250),
        Seg(K::kInnerTick, 160, 51, 160, 54),
        Seg(K::kMinorTick, 180, 49, 180, 47),
        {K::kLabel, 160, 44, 0, 0, kTextAlignCenter | kTextAlignBottom, "9"}}},
      {AxisSide::kLeft,
       100,
       94,
       {Seg(K::kTick, 99, 200, 95, 200),
        Seg(K::kInnerTick, 101, 200, 104, 200),
        {K::kLabel, 94, 194, 0, 0, kTextAlignRight, "10"},
        Seg(K::kTick, 99, 160, 95, 160),
        Seg(K::kGrid, 101, 160, 300, 160),
        Seg(K::kInnerTick, 101, 160, 104, 160),
        Seg(K::kMinorTick, 99, 180, 97, 180),
        {K::kLabel, 94, 154, 0, 0, kTextAlignRight, "9"}}},
      {AxisSide::kRight,
       300,
       306,
       {Seg(K::kTick, 301, 200, 305, 200),
        Seg(K::kInnerTick, 299, 200, 296, 200),
        {K::kLabel, 306, 194, 0, 0, kTextAlignLeft, "10"},
        Seg(K::kTick, 301, 160, 305, 160),
        Seg(K::kGrid, 299, 160, 100, 160),
        Seg(K::kInnerTick, 299, 160, 296, 160),
        Seg(K::kMinorTick, 301, 180, 303, 180),
        {K::kLabel, 306, 154, 0, 0, kTextAlignLeft, "9"}}},
  };
  for (const SideCase& c : cases) {
    AxisMarkStyle style;
    style.chartRect = {100, 50, 300, 250};
    style.axisLinePos = c.linePos;
    style.labelsPos = c.labelsPos;
    style.fontHeight = 12;
    style.rangeMin = 0;
    style.rangeMax = 10;
    style.innerTickLength = 3;
    style.minorTickCount = 1;
    const std::vector<AxisLabel> labels = {{10, 200, "10"}, {9, 160, "9"}};
    EXPECT_EQ(LayoutAxisMarks(c.side, style, labels), c.marks) << static_cast<int>(c.side);
  }
}

AxisMarkStyle BottomStyle() {
  AxisMarkStyle style;
  style.chartRect = {0, 0, 400, 300};
  style.axisLinePos = 300;
  style.labelsPos = 306;
  style.fontHeight = 12;
  style.rangeMin = 0;
  style.rangeMax = 100;
  return style;
}

std::vector<AxisMark> OfKind(const std::vector<AxisMark>& marks, K kind) {
  std::vector<AxisMark> out;
  for (const AxisMark& m : marks)
    if (m.kind == kind) out.push_back(m);
  return out;
}

TEST(AxisLayoutTest, CentredGridSitsBetweenTicksAndSkipsTheRangeEnds) {
  AxisMarkStyle style = BottomStyle();
  style.gridCentered = true;
  const std::vector<AxisLabel> labels = {{100, 400, "100"}, {50, 201, "50"}, {0, 0, "0"}};
  const std::vector<AxisMark> grid =
      OfKind(LayoutAxisMarks(AxisSide::kBottom, style, labels), K::kGrid);
  // Only the middle label is off the range ends; its line goes half way
  // back to the previous tick, (201 + 400) / 2 = 300.5, rounded to even.
  ASSERT_EQ(grid.size(), 1u);
  EXPECT_EQ(grid[0].x0, 300);

  style.gridCentered = false;
  const std::vector<AxisLabel> first = {{50, 201, "50"}};
  EXPECT_EQ(OfKind(LayoutAxisMarks(AxisSide::kBottom, style, first), K::kGrid).size(), 1u);
  style.gridCentered = true;  // no previous tick, no centred line
  EXPECT_TRUE(OfKind(LayoutAxisMarks(AxisSide::kBottom, style, first), K::kGrid).empty());
}

TEST(AxisLayoutTest, MinorTicksDivideTheGapWithRoundingToEven) {
  AxisMarkStyle style = BottomStyle();
  style.minorTickCount = 3;
  // Gap of -10: offsets round(-2.5) = -2, round(-5) = -5, round(-7.5) = -8.
  const std::vector<AxisLabel> labels = {{100, 110, "a"}, {90, 100, "b"}};
  std::vector<int> at;
  for (const AxisMark& m :
       OfKind(LayoutAxisMarks(AxisSide::kBottom, style, labels), K::kMinorTick)) {
    at.push_back(m.x0);
  }
  EXPECT_EQ(at, (std::vector<int>{102, 105, 108}));
}

TEST(AxisLayoutTest, WallMovesOuterTicksOnBottomAndLeftOnly) {
  AxisMarkStyle style = BottomStyle();
  style.wallSize = 5;
  style.minorTicks = false;
  style.grid = false;
  const std::vector<AxisLabel> label = {{50, 200, ""}};
  EXPECT_EQ(LayoutAxisMarks(AxisSide::kBottom, style, label),
            (std::vector<AxisMark>{Seg(K::kTick, 200, 306, 200, 310)}));
  style.axisLinePos = 0;
  EXPECT_EQ(LayoutAxisMarks(AxisSide::kTop, style, label),
            (std::vector<AxisMark>{Seg(K::kTick, 200, -1, 200, -5)}));
}

TEST(AxisLayoutTest, BandsAndEdges) {
  TRect r{10, 20, 410, 320};
  EXPECT_EQ(ShrinkSide(r, AxisSide::kLeft, 30), 40);
  EXPECT_EQ(ShrinkSide(r, AxisSide::kTop, 5), 25);
  EXPECT_EQ(ShrinkSide(r, AxisSide::kRight, 7), 403);
  EXPECT_EQ(ShrinkSide(r, AxisSide::kBottom, 12), 308);
  EXPECT_EQ(ShrinkSide(r, AxisSide::kDepth, 99), 0);
  EXPECT_EQ(r, (TRect{40, 25, 403, 308}));
  EXPECT_EQ(AxisLineOf(r, AxisSide::kLeft), 40);
  EXPECT_EQ(AxisLineOf(r, AxisSide::kBottom), 308);

  EXPECT_EQ(TickBandSize({}), 6);
  EXPECT_EQ(TickBandSize({true, 2, true, 4, true, 9, 0}), 9);
  EXPECT_EQ(TickBandSize({true, 2, true, 4, false, 9, 3}), 9);
}

}  // namespace
}  // namespace kolva::chart
