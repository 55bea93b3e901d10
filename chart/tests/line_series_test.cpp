// SPDX-License-Identifier: MIT
// Line series: the visible range, the segment rule, the entry from the left
// edge, clipping, gaps and skips, the legend symbol and the click test, on
// the recording canvas (every text 12 pixels high, every character 6 wide).
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "chart/line_series.h"
#include "chart_fixture_fake.h"

namespace kolva::chart {
namespace {

using testing::RecordingCanvas;

// --- Calculations without a canvas -----------------------------------------

struct RangeCase {
  std::vector<double> x;
  double lo;
  double hi;
  bool beyondEdge;
  VisibleRange expected;
};

TEST(VisibleRangeOf, ScansTheAscendingXListForBothEdges) {
  const std::vector<RangeCase> cases = {
      {{0, 1, 2, 3, 4}, 1.5, 2.5, true, {2, 3}},      // zoomed in: one past the right edge
      {{0, 1, 2, 3, 4}, 1.5, 2.5, false, {2, 2}},     // without drawing beyond the edge
      {{0, 1, 2, 3, 4}, 2.0, 3.0, false, {2, 3}},     // a point exactly on the edge stays
      {{0, 1, 2, 3, 4}, 5.0, 9.0, true, {-1, -1}},    // every x below the minimum
      {{0, 1, 2, 3, 4}, -1.0, 4.0, true, {0, 4}},     // the last x within the range
      {{0, 1, 2, 3, 4}, -9.0, -5.0, true, {0, 0}},    // every x beyond the right edge
      {{0, 1, 2, 3, 4}, -9.0, -5.0, false, {0, -1}},  // ... and none drawn without it
      {{}, 0.0, 1.0, true, {-1, -1}},
      {{7}, 0.0, 10.0, true, {0, 0}},
  };
  for (const RangeCase& c : cases) {
    TLineSeries series;
    for (double x : c.x) series.AddPoint(x, 0);
    EXPECT_EQ(VisibleRangeOf(series.XValues(), c.lo, c.hi, c.beyondEdge), c.expected)
        << c.lo << " .. " << c.hi << " beyond " << c.beyondEdge;
  }
}

struct TraceStep {
  int x;
  int y;
  TColor color;
  LineJoin join;
  std::optional<LineSegment> expected;
};

TEST(LineTrace, EachSegmentTakesTheColourOfThePointItEndsAt) {
  const TColor red = clRed;
  const TColor white = clWhite;
  const std::vector<TraceStep> steps = {
      {10, 10, red, LineJoin::kStart, std::nullopt},
      {20, 15, white, LineJoin::kFromPrevious, LineSegment{10, 10, 20, 15, white}},
      {20, 15, red, LineJoin::kFromPrevious, std::nullopt},  // same pixel: no segment
      {30, 12, red, LineJoin::kFromPrevious, LineSegment{20, 15, 30, 12, red}},
      {40, 40000, red, LineJoin::kFromPrevious, std::nullopt},  // beyond 32766: skipped
      {50, 20, red, LineJoin::kFromPrevious, LineSegment{30, 12, 50, 20, red}},
      {60, 25, clNone, LineJoin::kFromPrevious, std::nullopt},  // into a clNone point
      {70, 30, red, LineJoin::kFromPrevious, std::nullopt},     // nor out of it
      {80, 35, red, LineJoin::kFromPrevious, LineSegment{70, 30, 80, 35, red}},
      {-32767, 35, red, LineJoin::kFromPrevious, std::nullopt},
      {32766, -32766, red, LineJoin::kFromPrevious, LineSegment{80, 35, 32766, -32766, red}},
  };
  LineTrace trace;
  for (const TraceStep& s : steps) {
    EXPECT_EQ(trace.Advance(s.x, s.y, s.color, s.join), s.expected) << s.x << ", " << s.y;
  }
  EXPECT_EQ(trace.PreviousX, 32766);
  EXPECT_EQ(trace.PreviousColor, red);
}

TEST(LineTrace, TheFirstVisiblePointIsJoinedFromTheEntryEdge) {
  LineTrace trace{500, 500, clRed};  // left by an earlier paint
  EXPECT_EQ(trace.Advance(30, 40, clRed, LineJoin::kFromEntry, LineEntry{15, 60, false}),
            (LineSegment{15, 60, 30, 40, clRed}));
  LineTrace fromNone{500, 500, clRed};
  EXPECT_EQ(fromNone.Advance(30, 40, clRed, LineJoin::kFromEntry, LineEntry{15, 60, true}),
            std::nullopt);
  EXPECT_EQ(fromNone.PreviousX, 30);
  LineTrace skipped{500, 500, clRed};
  EXPECT_EQ(skipped.Advance(30, 99999, clRed, LineJoin::kFromEntry, LineEntry{15, 60, false}),
            std::nullopt);
  EXPECT_EQ(skipped.PreviousX, 500) << "a skipped point leaves the trace as it was";
}

TEST(EntryPixelY, InterpolatesBetweenTheTwoPointsOrFallsBackOnEqualX) {
  // y 0 .. 100 over pixels 200 (bottom) .. 100 (top).
  const AxisMapping vertical{0.0, 100.0, 100.0, 100, 200, false, false};
  EXPECT_EQ(EntryPixelY(vertical, 1.0, 20.0, 2.0, 60.0, 1.5), 160);  // y 40
  EXPECT_EQ(EntryPixelY(vertical, 1.0, 20.0, 2.0, 60.0, 1.0), 180);
  EXPECT_EQ(EntryPixelY(vertical, 1.0, 20.0, 1.0, 60.0, 0.5), 180) << "no division by zero";
  EXPECT_EQ(EntryPixelY(vertical, 0.0, 0.0, 4.0, 100.0, 1.0), 175);
}

TEST(IsOnSegment, WithinAboutAPixelOfTheLineAndBetweenItsEnds) {
  struct Case {
    TPoint p;
    bool on;
  };
  const TPoint a{0, 0};
  const TPoint b{10, 5};
  const std::vector<Case> cases = {
      {{0, 0}, true},  {{10, 5}, true},  {{4, 2}, true},    {{6, 3}, true},
      {{5, 4}, false}, {{12, 6}, false}, {{-2, -1}, false}, {{5, 0}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsOnSegment(c.p, a, b), c.on) << c.p.X << ", " << c.p.Y;
  EXPECT_TRUE(IsOnSegment({3, 7}, {3, 0}, {3, 10})) << "vertical segment";
  EXPECT_FALSE(IsOnSegment({4, 7}, {3, 0}, {3, 10}));
}

// --- Drawing in the chart ---------------------------------------------------

struct Segment {
  int x0, y0, x1, y1;
  TColor color;
  friend bool operator==(const Segment&, const Segment&) = default;
};

class LineDrawing : public testing::ChartFixture {
 protected:
  LineDrawing() {
    UseWindowPanel();
    chart->Legend().SetVisible(false);
    series.SetParentChart(chart.get());
  }

  // The segments drawn inside the series clip, in order.
  std::vector<Segment> SeriesSegments() const {
    std::vector<Segment> out;
    bool inside = false;
    const auto& ops = canvas->ops;
    for (std::size_t i = 0; i < ops.size(); ++i) {
      if (ops[i].kind == "Clip") inside = ops[i].args[0] != 0;
      if (!inside || ops[i].kind != "MoveTo" || i + 1 >= ops.size()) continue;
      const auto& to = ops[i + 1];
      out.push_back({ops[i].args[0], ops[i].args[1], to.args[0], to.args[1], to.pen.Color()});
    }
    return out;
  }

  void Zoom(double lo, double hi) { chart->BottomAxis().SetManualRange(lo, hi); }

  TLineSeries series{"Series1"};
};

TEST_F(LineDrawing, ALineSeriesHasHiddenPointerLinesAndNoMargins) {
  EXPECT_FALSE(series.Pointer().Visible());
  EXPECT_TRUE(series.DrawLines());
  EXPECT_TRUE(series.DrawBeyondEdge());
  EXPECT_FALSE(series.Stairs());
  EXPECT_TRUE(series.LinePen().Visible());
  int low = -1;
  int high = -1;
  series.CalcHorizMargins(low, high);
  EXPECT_EQ(low + high, 0);
  series.Pointer().SetVisible(true);
  series.CalcVerticalMargins(low, high);
  EXPECT_EQ(low, 5);
  EXPECT_EQ(high, 5);
  series.Pointer().SetInflateMargins(false);
  series.CalcHorizMargins(low, high);
  EXPECT_EQ(low, 0);
}

TEST_F(LineDrawing, SegmentsJoinThePointsInTheColourOfTheirEnds) {
  series.AddPoint(0, 0, "", clRed);
  series.AddPoint(1, 10, "", clWhite);
  series.AddPoint(2, 5, "", clRed);
  chart->Paint();
  const auto segments = SeriesSegments();
  ASSERT_EQ(segments.size(), 2u);
  EXPECT_EQ(segments[0], (Segment{series.PixelX(0), series.PixelY(0), series.PixelX(1),
                                  series.PixelY(1), clWhite}));
  EXPECT_EQ(segments[1].color, clRed);
  EXPECT_EQ(segments[0].x0, chart->ChartRect.Left) << "the range ends fill the plot";
  EXPECT_EQ(segments[1].x1, chart->ChartRect.Right);
  EXPECT_EQ(segments[0].y0, chart->ChartRect.Bottom);
  EXPECT_EQ(segments[0].y1, chart->ChartRect.Top);
  const auto clips = canvas->OpsOf("Clip");
  ASSERT_EQ(clips.size(), 2u);
  const TRect& r = chart->ChartRect;
  EXPECT_EQ(clips[0]->args, (std::vector<int>{r.Left + 1, r.Top + 1, r.Right, r.Bottom - 1}));
}

TEST_F(LineDrawing, AZoomedRangeEntersAtTheLeftEdgeAndLeavesPastTheRight) {
  const double y[] = {0, 40, 80, 20, 60};
  for (int i = 0; i < 5; ++i) series.AddPoint(i, y[i]);
  chart->LeftAxis().SetManualRange(0, 100);
  Zoom(1.5, 2.5);
  chart->Paint();
  EXPECT_EQ(series.FirstVisibleIndex(), 2);
  EXPECT_EQ(series.LastVisibleIndex(), 3);
  const auto segments = SeriesSegments();
  ASSERT_EQ(segments.size(), 2u);
  const TCustomChartAxis& left = chart->LeftAxis();
  EXPECT_EQ(segments[0].x0, chart->ChartRect.Left);
  EXPECT_EQ(segments[0].y0, left.ValueToPixel(60)) << "half-way between 40 and 80";
  EXPECT_EQ(segments[0].x1, series.PixelX(2));
  EXPECT_EQ(segments[1].x1, series.PixelX(3));
  EXPECT_GT(segments[1].x1, chart->ChartRect.Right) << "cut by the clip at the right edge";
}

TEST_F(LineDrawing, NothingIsDrawnWhenEveryXLiesBelowTheRange) {
  for (int i = 0; i < 5; ++i) series.AddPoint(i, i);
  Zoom(10, 20);
  chart->Paint();
  EXPECT_EQ(series.FirstVisibleIndex(), -1);
  EXPECT_EQ(series.LastVisibleIndex(), -1);
  EXPECT_TRUE(SeriesSegments().empty());
  EXPECT_EQ(canvas->Count("Clip"), 0) << "a series without visible points sets no clip";
}

TEST_F(LineDrawing, AnUnorderedXListDrawsEveryPointInListOrder) {
  series.XValues().SetOrder(loNone);
  series.AddPoint(3, 1);
  series.AddPoint(1, 2);
  series.AddPoint(2, 3);
  Zoom(1.5, 1.75);
  chart->Paint();
  EXPECT_EQ(series.FirstVisibleIndex(), 0);
  EXPECT_EQ(series.LastVisibleIndex(), 2);
  const auto segments = SeriesSegments();
  ASSERT_EQ(segments.size(), 2u);
  EXPECT_EQ(segments[0].x0, series.PixelX(0));
  EXPECT_GT(segments[0].x0, segments[0].x1) << "drawn back to the left, as listed";
}

TEST_F(LineDrawing, ConsecutivePointsOnOnePixelMakeNoSegment) {
  series.AddPoint(0, 0);
  series.AddPoint(0.0001, 0);  // the same pixel as point 0
  series.AddPoint(10, 10);
  chart->Paint();
  const auto segments = SeriesSegments();
  ASSERT_EQ(segments.size(), 1u);
  EXPECT_EQ(segments[0].x0, series.PixelX(1));
  EXPECT_EQ(segments[0].x1, series.PixelX(2));
}

TEST_F(LineDrawing, APointBeyondThePixelRangeIsSkipped) {
  series.AddPoint(0, 0);
  series.AddPoint(1, 1e9);
  series.AddPoint(2, 1);
  series.AddPoint(3, 0);
  chart->LeftAxis().SetManualRange(0, 1);
  chart->Paint();
  ASSERT_LT(chart->LeftAxis().ValueToPixel(1e9), -kMaxDrawablePixel);
  const auto segments = SeriesSegments();
  ASSERT_EQ(segments.size(), 2u);
  EXPECT_EQ(segments[0], (Segment{series.PixelX(0), series.PixelY(0), series.PixelX(2),
                                  series.PixelY(2), series.SeriesColor()}))
      << "from the last drawn point straight to the next drawable one";
}

TEST_F(LineDrawing, ASkippedFirstVisiblePointLetsTheNextPointStartTheLine) {
  series.AddPoint(0, 0);
  series.AddPoint(1, 1e9);
  series.AddPoint(2, 1);
  series.AddPoint(3, 0);
  chart->LeftAxis().SetManualRange(0, 1);
  Zoom(0.5, 3.5);
  chart->Paint();
  ASSERT_EQ(series.FirstVisibleIndex(), 1);
  const auto segments = SeriesSegments();
  ASSERT_EQ(segments.size(), 1u) << "no segment from where an earlier line stopped";
  EXPECT_EQ(segments[0].x0, series.PixelX(2));
  EXPECT_EQ(segments[0].x1, series.PixelX(3));
}

TEST_F(LineDrawing, AClNonePointLeavesAGapBeforeAndAfterIt) {
  for (int i = 0; i < 5; ++i) series.AddPoint(i, i % 2, "", i == 2 ? clNone : clRed);
  chart->Paint();
  const auto segments = SeriesSegments();
  ASSERT_EQ(segments.size(), 2u);
  EXPECT_EQ(segments[0].x1, series.PixelX(1));
  EXPECT_EQ(segments[1].x0, series.PixelX(3));
  EXPECT_EQ(segments[1].x1, series.PixelX(4));
}

TEST_F(LineDrawing, OnePointDrawsNothingButCountsInTheRanges) {
  series.AddPoint(5, 7);
  chart->Paint();
  EXPECT_TRUE(SeriesSegments().empty());
  EXPECT_EQ(chart->LeftAxis().RangeMin(), 7);
  EXPECT_EQ(chart->BottomAxis().RangeMax(), 5);
}

TEST_F(LineDrawing, EqualYValuesLieOnTheVerticalCentre) {
  for (int i = 0; i < 3; ++i) series.AddPoint(i, 42);
  chart->Paint();
  const auto segments = SeriesSegments();
  ASSERT_EQ(segments.size(), 2u);
  EXPECT_EQ(segments[0].y0, chart->ChartYCenter);
  EXPECT_EQ(segments[1].y1, chart->ChartYCenter);
}

TEST_F(LineDrawing, AHiddenLinePenDrawsWithAClearPen) {
  series.AddPoint(0, 0);
  series.AddPoint(1, 1);
  series.LinePen().SetVisible(false);
  chart->Paint();
  auto lines = canvas->OpsOf("LineTo");
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back()->pen.Style(), psClear);
}

TEST_F(LineDrawing, WhitePointsStillShowTheSeriesColourInTheLegendSymbol) {
  TLineSeries second("Series2");
  second.SetSeriesColor(clGreen);
  second.SetParentChart(chart.get());
  chart->Legend().SetVisible(true);
  chart->Legend().SetLegendStyle(lsLastValues);
  series.SetSeriesColor(clRed);
  for (int i = 0; i < 3; ++i) {
    series.AddPoint(i, i, "", clRed);
    second.AddPoint(i, 2 - i, "", clWhite);
  }
  chart->Paint();
  const auto segments = SeriesSegments();
  ASSERT_EQ(segments.size(), 4u);
  EXPECT_EQ(segments[3].color, clWhite) << "Series2 is drawn last, over Series1";
  std::vector<TColor> symbols;
  const TRect& box = chart->Legend().LegendRect;
  for (const auto* op : canvas->OpsOf("LineTo"))
    if (op->args[0] > box.Left && op->args[0] < box.Right && op->args[1] > box.Top &&
        op->args[1] < box.Bottom)
      symbols.push_back(op->pen.Color());
  EXPECT_EQ(symbols, (std::vector<TColor>{clRed, clGreen}));
}

TEST_F(LineDrawing, TheClickTestFindsPointsAndSegments) {
  series.AddPoint(0, 0);
  series.AddPoint(10, 10);
  chart->Paint();
  const int x0 = series.PixelX(0);
  const int y0 = series.PixelY(0);
  const int x1 = series.PixelX(1);
  const int y1 = series.PixelY(1);
  EXPECT_EQ(series.Clicked(x1, y1), 1);
  EXPECT_EQ(series.Clicked(x0, y0), 0);
  EXPECT_EQ(series.Clicked((x0 + x1) / 2, (y0 + y1) / 2), 0) << "on the segment";
  EXPECT_EQ(series.Clicked((x0 + x1) / 2, y0), -1);
  series.SetClickableLine(false);
  EXPECT_EQ(series.Clicked((x0 + x1) / 2, (y0 + y1) / 2), -1);
  series.Pointer().SetVisible(true);
  EXPECT_EQ(series.Clicked(x1 + 4, y1 - 4), 1);
}

TEST_F(LineDrawing, AVisiblePointerMarksEveryDrawnPoint) {
  series.Pointer().SetVisible(true);
  for (int i = 0; i < 3; ++i) series.AddPoint(i, i);
  chart->Paint();
  auto rects = canvas->OpsOf("Rectangle");
  std::vector<int> centres;
  for (const auto* r : rects)
    if (r->args[2] - r->args[0] == 9) centres.push_back(r->args[0] + 4);
  EXPECT_EQ(centres, (std::vector<int>{series.PixelX(0), series.PixelX(1), series.PixelX(2)}));
}

}  // namespace
}  // namespace kolva::chart
