// SPDX-License-Identifier: MIT
// The axes' layout bands and drawing against the recording canvas (every
// character 6 pixels wide, every text 12 high).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/text/textconv.h"
#include "axis_host_fake.h"
#include "chart/axis.h"

namespace kolva::chart {
namespace {

using testing::FakeAxisHost;
using testing::RecordingCanvas;

struct Line {
  int x0, y0, x1, y1;
  TPen pen;
};

struct Text {
  std::string text;
  int x, y;
  unsigned align;
};

// The canvas' MoveTo/LineTo pairs as segments, in drawing order.
std::vector<Line> LinesOf(const RecordingCanvas& canvas) {
  std::vector<Line> lines;
  for (size_t i = 0; i + 1 < canvas.ops.size(); ++i) {
    const auto& a = canvas.ops[i];
    const auto& b = canvas.ops[i + 1];
    if (a.kind == "MoveTo" && b.kind == "LineTo") {
      lines.push_back({a.args[0], a.args[1], b.args[0], b.args[1], b.pen});
    }
  }
  return lines;
}

std::vector<Text> TextsOf(const RecordingCanvas& canvas) {
  std::vector<Text> texts;
  for (const auto* op : canvas.OpsOf("TextOut")) {
    texts.push_back({op->text, op->args[0], op->args[1], op->textAlign});
  }
  return texts;
}

std::vector<std::string> StringsOf(const std::vector<Text>& texts) {
  std::vector<std::string> out;
  for (const Text& t : texts) out.push_back(t.text);
  return out;
}

bool IsGrid(const Line& l) {
  return l.pen.Style() == psDot;
}
bool IsAxisLine(const Line& l) {
  return l.pen.Width() == 2;
}
// Outer ticks and minor ticks share the gray solid pen; their length tells.
int LengthOf(const Line& l) {
  return std::abs(l.x1 - l.x0) + std::abs(l.y1 - l.y0);
}

class AxisDrawTest : public ::testing::Test {
 protected:
  void SetUp() override { host.formatter = app::FloatPatternText; }

  // Lays the axis out on `outer` the way the chart does (the shrunk
  // rectangle becomes ChartRect), then draws it.
  void LayOutAndDraw(TChartAxis& axis, TRect outer) {
    axis.RecalcRange();
    axis.ReserveSpace(outer);
    host.chartRect = outer;
    axis.ApplySeriesMargins(0, 0);
    host.canvas.Clear();
    axis.DrawAxis();
  }

  FakeAxisHost host;
  TChartAxis left{host, AxisSide::kLeft};
  TChartAxis bottom{host, AxisSide::kBottom};
};

TEST_F(AxisDrawTest, ZeroToTenOnFourHundredPixels) {
  host.series[AxisSide::kBottom] = {{11, 0.0, 10.0, false, false}};
  LayOutAndDraw(bottom, {10, 20, 410, 338});
  EXPECT_EQ(host.chartRect, (TRect{10, 20, 410, 320}));  // labels 12 + ticks 6
  EXPECT_EQ(bottom.LabelsPos(), 326);
  EXPECT_EQ(bottom.AxisLinePos(), 320);
  EXPECT_EQ(bottom.LabelStep(), 1.0);

  const std::vector<Text> texts = TextsOf(host.canvas);
  EXPECT_EQ(StringsOf(texts),
            (std::vector<std::string>{"10", "9", "8", "7", "6", "5", "4", "3", "2", "1", "0"}));
  for (size_t i = 0; i < texts.size(); ++i) {
    EXPECT_EQ(texts[i].x, 410 - 40 * static_cast<int>(i));
    EXPECT_EQ(texts[i].y, 326);
    EXPECT_EQ(texts[i].align, kTextAlignCenter | kTextAlignTop);
  }
  for (const auto* op : host.canvas.OpsOf("TextOut")) {
    EXPECT_EQ(op->brush.Style(), bsClear);
    EXPECT_EQ(op->brush.Color(), clTeal);
    EXPECT_EQ(op->backMode, kBackModeTransparent);
  }

  std::vector<Line> grid, ticks, minor;
  const std::vector<Line> lines = LinesOf(host.canvas);
  for (const Line& l : lines) {
    if (IsGrid(l)) grid.push_back(l);
    if (!IsGrid(l) && !IsAxisLine(l)) (LengthOf(l) == 4 ? ticks : minor).push_back(l);
  }
  // Grid lines between the ends only, from just above the axis to the top.
  ASSERT_EQ(grid.size(), 9u);
  EXPECT_EQ(grid.front().x0, 370);
  EXPECT_EQ(grid.back().x0, 50);
  EXPECT_EQ(grid.front().y0, 319);
  EXPECT_EQ(grid.front().y1, 20);
  ASSERT_EQ(ticks.size(), 11u);
  EXPECT_EQ(ticks.front().y0, 321);
  EXPECT_EQ(ticks.front().y1, 325);
  EXPECT_EQ(minor.size(), 30u);  // three between each pair of labels
  EXPECT_EQ(minor.front().x0, 380);
  EXPECT_EQ(minor.front().y1, 323);

  // The axis line comes last and covers the plot's bottom edge.
  ASSERT_FALSE(lines.empty());
  const Line& axisLine = lines.back();
  EXPECT_TRUE(IsAxisLine(axisLine));
  EXPECT_EQ(axisLine.pen.Color(), clBlack);
  EXPECT_EQ((std::vector<int>{axisLine.x0, axisLine.y0, axisLine.x1, axisLine.y1}),
            (std::vector<int>{10, 320, 410, 320}));
}

TEST_F(AxisDrawTest, EmptyChartShowsOneZeroAtTheCentre) {
  host.series[AxisSide::kBottom] = {{0, 0.0, 0.0, false, false}};
  host.series[AxisSide::kLeft] = {{0, 0.0, 0.0, false, false}};

  LayOutAndDraw(bottom, {10, 20, 410, 338});
  EXPECT_EQ(bottom.LabelStep(), kMinLabelStep);
  std::vector<Text> texts = TextsOf(host.canvas);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "0");
  EXPECT_EQ(texts[0].x, 210);
  std::vector<Line> lines = LinesOf(host.canvas);
  // One tick at the centre and the axis line: no grid, no minor ticks.
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].x0, 210);
  EXPECT_TRUE(IsAxisLine(lines[1]));

  LayOutAndDraw(left, {0, 20, 410, 320});
  texts = TextsOf(host.canvas);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "0");
  EXPECT_EQ(texts[0].y, 170 - 6);
  EXPECT_EQ(texts[0].x, left.LabelsPos());
  EXPECT_EQ(texts[0].align, kTextAlignRight | kTextAlignTop);
  lines = LinesOf(host.canvas);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].y0, 170);
}

TEST_F(AxisDrawTest, AllValuesEqualDrawOnlyTheAxisLine) {
  host.series[AxisSide::kLeft] = {{3, 5.0, 5.0, false, false}};
  LayOutAndDraw(left, {0, 20, 410, 320});
  EXPECT_EQ(left.RangeMin(), 5.0);
  EXPECT_EQ(left.RangeMax(), 5.0);
  EXPECT_TRUE(TextsOf(host.canvas).empty());
  const std::vector<Line> lines = LinesOf(host.canvas);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(IsAxisLine(lines[0]));
  EXPECT_EQ(left.ValueToPixel(5.0), (host.chartRect.Top + host.chartRect.Bottom) / 2);
}

TEST_F(AxisDrawTest, NegativeTopRoundsTheFirstLabelDown) {
  host.series[AxisSide::kLeft] = {{2, -10.0, -3.7, false, false}};
  LayOutAndDraw(left, {0, 20, 410, 320});
  EXPECT_EQ(left.LabelStep(), 1.0);
  const std::vector<Text> texts = TextsOf(host.canvas);
  ASSERT_EQ(texts.size(), 7u);
  EXPECT_EQ(texts.front().text, "-4");
  EXPECT_EQ(texts.front().y, left.ValueToPixel(-4) - 6);
  EXPECT_EQ(texts.back().text, "-10");
}

TEST_F(AxisDrawTest, LabelsSeparationZeroSkipsTheStepSearch) {
  host.series[AxisSide::kBottom] = {{2, 0.0, 0.5, false, false}};
  LayOutAndDraw(bottom, {10, 20, 410, 338});
  EXPECT_DOUBLE_EQ(bottom.LabelStep(), 0.05);
  // The double step lies a hair above 0.05, so 0.5 / step truncates to 9 in
  // extended precision and the labels start at 0.45; the repeated
  // subtraction ends a hair above 0, still written "0".
  const std::vector<Text> texts = TextsOf(host.canvas);
  ASSERT_EQ(texts.size(), 10u);
  EXPECT_EQ(texts.front().text, "0.45");
  EXPECT_EQ(texts.back().text, "0");

  // Without separation a span under 1 starts (and stays) at 1e-12; the guard then
  // suppresses every label, tick and grid line.
  bottom.SetLabelsSeparation(0);
  LayOutAndDraw(bottom, {10, 20, 410, 338});
  EXPECT_EQ(bottom.LabelStep(), kMinLabelStep);
  EXPECT_TRUE(TextsOf(host.canvas).empty());
  EXPECT_EQ(LinesOf(host.canvas).size(), 1u);

  host.series[AxisSide::kBottom] = {{2, 0.0, 10.0, false, false}};
  LayOutAndDraw(bottom, {10, 20, 410, 338});
  EXPECT_EQ(bottom.LabelStep(), 1.0);
  EXPECT_EQ(TextsOf(host.canvas).size(), 11u);
}

TEST_F(AxisDrawTest, IncrementIsTheSmallestStep) {
  bottom.SetIncrement(3);
  host.series[AxisSide::kBottom] = {{2, 0.0, 10.0, false, false}};
  LayOutAndDraw(bottom, {10, 20, 410, 338});
  EXPECT_EQ(bottom.LabelStep(), 3.0);
  EXPECT_EQ(StringsOf(TextsOf(host.canvas)), (std::vector<std::string>{"9", "6", "3", "0"}));

  // "1,000" is 30 pixels: 33 with separation, 12 labels fit; 3 moves on
  // through 5, 10, 20 and 50 to 100.
  host.series[AxisSide::kBottom] = {{2, 0.0, 1000.0, false, false}};
  LayOutAndDraw(bottom, {10, 20, 410, 338});
  EXPECT_EQ(bottom.LabelStep(), 100.0);
  const std::vector<Text> texts = TextsOf(host.canvas);
  ASSERT_EQ(texts.size(), 11u);
  EXPECT_EQ(texts.front().text, "1,000");
  EXPECT_EQ(texts.back().text, "0");
}

TEST_F(AxisDrawTest, ReserveSpaceTakesTitleLabelsAndTickBands) {
  host.chartRect = {15, 13, 456, 291};
  host.series[AxisSide::kLeft] = {{2, -750.0, 750.0, false, false}};
  host.series[AxisSide::kBottom] = {{2, 0.0, 10.0, false, false}};
  left.RecalcRange();
  bottom.RecalcRange();

  // Left: step 100, so the widest label is "-700" (24) plus a space (6).
  EXPECT_EQ(left.LabelStep(), 100.0);
  EXPECT_EQ(left.MaxLabelsWidth(), 30);
  TRect r = host.chartRect;
  left.ReserveSpace(r);
  EXPECT_EQ(r, (TRect{51, 13, 456, 291}));
  EXPECT_EQ(left.LabelsPos(), 45);

  // The label event does not widen the band.
  host.onGetAxisLabel = [](std::string& text) { text = "a much longer label"; };
  EXPECT_EQ(left.MaxLabelsWidth(), 30);
  host.onGetAxisLabel = nullptr;

  left.Title().SetCaption("mV");  // turned 90 degrees: one font height
  r = host.chartRect;
  left.ReserveSpace(r);
  EXPECT_EQ(left.TitlePos(), 27);
  EXPECT_EQ(left.LabelsPos(), 57);
  EXPECT_EQ(r.Left, 63);

  bottom.Title().SetCaption("t[s]");
  r = host.chartRect;
  bottom.ReserveSpace(r);
  EXPECT_EQ(bottom.TitlePos(), 279);
  EXPECT_EQ(bottom.LabelsPos(), 267);
  EXPECT_EQ(r, (TRect{15, 13, 456, 261}));

  bottom.SetTitleSize(20);
  bottom.SetLabelsSize(15);
  r = host.chartRect;
  bottom.ReserveSpace(r);
  EXPECT_EQ(bottom.TitlePos(), 271);
  EXPECT_EQ(bottom.LabelsPos(), 256);
  EXPECT_EQ(r.Bottom, 250);
}

TEST_F(AxisDrawTest, TickBandFollowsTheVisiblePens) {
  struct Case {
    bool axis, ticks, minor;
    int band;
  };
  const Case cases[] = {{true, true, true, 6},   {false, true, true, 4},  {true, false, true, 2},
                        {false, false, true, 2}, {true, false, false, 2}, {false, false, false, 0}};
  for (const Case& c : cases) {
    TChartAxis axis(host, AxisSide::kRight);
    axis.SetLabels(false);
    axis.Axis().SetVisible(c.axis);
    axis.Ticks().SetVisible(c.ticks);
    axis.MinorTicks().SetVisible(c.minor);
    TRect r{0, 0, 100, 100};
    axis.ReserveSpace(r);
    EXPECT_EQ(r.Right, 100 - c.band) << c.axis << c.ticks << c.minor;
  }
}

TEST_F(AxisDrawTest, TitleIsCentredOnThePlotAtItsBand) {
  host.series[AxisSide::kBottom] = {{2, 0.0, 10.0, false, false}};
  bottom.Title().SetCaption("t[s]");
  bottom.Title().Font().SetColor(clRed);
  LayOutAndDraw(bottom, {10, 20, 410, 350});
  const RecordingCanvas::Op* title = host.canvas.FindText("t[s]");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->args, (std::vector<int>{210, 338}));
  EXPECT_EQ(title->textAlign, kTextAlignCenter | kTextAlignTop);
  EXPECT_EQ(title->font.Color(), clRed);
  EXPECT_EQ(&host.canvas.ops.front(), title);  // drawn before labels and ticks
  const RecordingCanvas::Op* label = host.canvas.FindText("5");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->font.Color(), clBlack);  // labels back in LabelsFont
}

// The labels of a titled vertical axis sit half the labels font's height
// above their value, whatever the title font's height.
TEST_F(AxisDrawTest, TitledVerticalAxisPlacesLabelsByTheLabelsFont) {
  host.canvas.heightFromFont = true;
  host.series[AxisSide::kLeft] = {{2, 0.0, 10.0, false, false}};
  left.Title().SetCaption("mV");
  left.Title().Font().SetHeight(-30);
  left.LabelsFont().SetHeight(-10);
  LayOutAndDraw(left, {10, 20, 410, 350});
  const RecordingCanvas::Op* label = host.canvas.FindText("5");
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->args[1], left.ValueToPixel(5.0) - 5);
}

TEST_F(AxisDrawTest, TicksGoWithLabelsUnlessTickOnLabelsOnlyIsClear) {
  host.series[AxisSide::kBottom] = {{2, 0.0, 10.0, false, false}};
  bottom.SetLabels(false);
  LayOutAndDraw(bottom, {10, 20, 410, 326});
  EXPECT_TRUE(TextsOf(host.canvas).empty());
  EXPECT_EQ(LinesOf(host.canvas).size(), 1u);  // the axis line only

  bottom.SetTickOnLabelsOnly(false);
  LayOutAndDraw(bottom, {10, 20, 410, 326});
  EXPECT_TRUE(TextsOf(host.canvas).empty());
  EXPECT_EQ(LinesOf(host.canvas).size(), 11u + 9u + 30u + 1u);

  // An empty label text draws nothing, but its tick stays.
  bottom.SetLabels(true);
  host.onGetAxisLabel = [](std::string& text) {
    if (text == "5") text.clear();
  };
  LayOutAndDraw(bottom, {10, 20, 410, 338});
  EXPECT_EQ(TextsOf(host.canvas).size(), 10u);
  EXPECT_EQ(LinesOf(host.canvas).size(), 11u + 9u + 30u + 1u);
}

TEST_F(AxisDrawTest, InvisibleAxisPenAndNoSeries) {
  bottom.Axis().SetVisible(false);
  host.series[AxisSide::kBottom] = {{2, 0.0, 10.0, false, false}};
  LayOutAndDraw(bottom, {10, 20, 410, 338});
  for (const Line& l : LinesOf(host.canvas)) EXPECT_FALSE(IsAxisLine(l));

  // No series against the axis: the label style is talNone, only the line.
  TChartAxis top(host, AxisSide::kTop);
  LayOutAndDraw(top, {10, 20, 410, 338});
  EXPECT_TRUE(TextsOf(host.canvas).empty());
  EXPECT_EQ(LinesOf(host.canvas).size(), 1u);
}

}  // namespace
}  // namespace kolva::chart
