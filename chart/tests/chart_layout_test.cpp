// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "chart/line_series.h"
#include "chart_fixture_fake.h"

namespace kolva::chart {
namespace {

using Layout = testing::ChartFixture;
using Op = testing::RecordingCanvas::Op;
constexpr int kText = testing::RecordingCanvas::kTextHeight;

TEST_F(Layout, MarginsAndBorderGiveTheStartingChartRect) {
  UseWindowPanel();
  EXPECT_EQ(chart->ClientRect(), (TRect{0, 0, 471, 304}));
  chart->Paint();
  EXPECT_EQ(chart->ChartBounds, (TRect{0, 0, 471, 304}));
  EXPECT_EQ(chart->ChartRect, (TRect{15, 13, 456, 291}));
  EXPECT_EQ(chart->ChartWidth, 441);
  EXPECT_EQ(chart->ChartHeight, 278);
  EXPECT_EQ(chart->ChartXCenter, 235);
  EXPECT_EQ(chart->ChartYCenter, 152);
  // The back wall: one pixel further right than ChartRect, not further down.
  auto rects = canvas->OpsOf("Rectangle");
  ASSERT_EQ(rects.size(), 1u);
  EXPECT_EQ(rects[0]->args, (std::vector<int>{15, 13, 457, 291}));
  EXPECT_EQ(rects[0]->brush.Style(), bsClear);
  EXPECT_EQ(rects[0]->pen.Color(), clBlack);
  EXPECT_EQ(rects[0]->pen.Width(), 1);
}

TEST_F(Layout, TitleAndFootTakeALineAndFivePixels) {
  UseWindowPanel();
  chart->Title().SetText({"Title"});
  chart->Foot().SetText({"Foot", "Line2"});
  chart->Foot().SetAlignment(taRightJustify);
  chart->Paint();
  EXPECT_EQ(chart->ChartRect.Top, 13 + kText + 5);
  EXPECT_EQ(chart->ChartRect.Bottom, 291 - 2 * kText - 5);
  const Op* title = canvas->FindText("Title");
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->args, (std::vector<int>{(15 + 456) / 2 - 15, 13}));
  EXPECT_EQ(title->font.Color(), clBlue);
  EXPECT_EQ(title->backMode, kBackModeTransparent);
  // The foot's last line ends at the foot's bottom; right-justified lines
  // end at ChartRect's right edge.
  const Op* last = canvas->FindText("Line2");
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->args, (std::vector<int>{456 - 30, 291 - kText}));
  EXPECT_EQ(canvas->FindText("Foot")->args, (std::vector<int>{456 - 24, 291 - 2 * kText}));
  EXPECT_EQ(chart->Title().TitleRect(), (TRect{15, 13, 456, 13 + kText}));
}

TEST_F(Layout, EmptyOrHiddenTitlesTakeNothing) {
  UseWindowPanel();
  chart->Foot().SetText({"Foot"});
  chart->Foot().SetVisible(false);
  chart->Paint();
  EXPECT_EQ(chart->ChartRect, (TRect{15, 13, 456, 291}));
  EXPECT_EQ(canvas->Count("TextOut"), 0);
}

TEST_F(Layout, AFramedTitleIsNarrowedToItsText) {
  UseWindowPanel();
  chart->Title().SetText({"abc"});
  chart->Title().Frame().SetVisible(true);
  chart->Title().Frame().SetWidth(2);
  chart->Paint();
  // Lines start inside the frame; the frame is the text width plus twice
  // the pen, centred.
  EXPECT_EQ(canvas->FindText("abc")->args[1], 13 + 2);
  auto rects = canvas->OpsOf("Rectangle");
  ASSERT_EQ(rects.size(), 2u);
  int width = 18 + 4;
  int left = (13 + 458 - width) / 2;
  EXPECT_EQ(rects[0]->args, (std::vector<int>{left, 13, left + width, 13 + 2 + kText + 2}));
  EXPECT_EQ(chart->ChartRect.Top, 13 + 2 + kText + 4 + 5);
}

TEST_F(Layout, TooSmallWindowsAreRepaired) {
  chart->SetBounds(0, 0, 10, 8);
  chart->Title().SetText({"T"});
  chart->Foot().SetText({"F"});
  chart->Paint();
  EXPECT_EQ(chart->ChartRect.Top, 17);
  EXPECT_EQ(chart->ChartRect.Bottom, 18);
  EXPECT_EQ(chart->ChartHeight, 1);

  chart->Title().SetText({});
  chart->Foot().SetText({});
  chart->SetBounds(0, 0, 100, 100);
  chart->SetMarginLeft(50);
  chart->SetMarginRight(50);
  chart->Paint();
  EXPECT_EQ(chart->ChartRect.Left, 50);
  EXPECT_EQ(chart->ChartRect.Right, 150) << "coinciding edges widen by the control's width";
}

TEST_F(Layout, PanelIsFilledThenRingedByTheBevelsAndTheBorder) {
  UseWindowPanel();
  chart->Paint();
  auto fills = canvas->OpsOf("FillRect");
  ASSERT_FALSE(fills.empty());
  EXPECT_EQ(fills[0]->args, (std::vector<int>{0, 0, 471, 304}));
  EXPECT_EQ(fills[0]->brush.Color(), clTeal);
  auto moves = canvas->OpsOf("MoveTo");
  auto lines = canvas->OpsOf("LineTo");
  ASSERT_EQ(moves.size(), 10u) << "four lowered rings and one teal ring";
  ASSERT_EQ(lines.size(), 20u);
  EXPECT_EQ(moves[0]->args, (std::vector<int>{0, 303}));
  EXPECT_EQ(lines[0]->args, (std::vector<int>{0, 0}));
  EXPECT_EQ(lines[1]->args, (std::vector<int>{470, 0}));
  EXPECT_EQ(lines[1]->pen.Color(), clBtnShadow);
  EXPECT_EQ(moves[1]->args, (std::vector<int>{470, 0}));
  EXPECT_EQ(lines[2]->args, (std::vector<int>{470, 303}));
  EXPECT_EQ(lines[3]->args, (std::vector<int>{-1, 303}));
  EXPECT_EQ(lines[3]->pen.Color(), clBtnHighlight);
  EXPECT_EQ(moves[8]->args, (std::vector<int>{4, 299}));
  EXPECT_EQ(lines[17]->pen.Color(), clTeal);
  EXPECT_EQ(lines[19]->pen.Color(), clTeal);
  EXPECT_EQ(lines[19]->args, (std::vector<int>{3, 299}));
}

// A series that records what the chart asks it to draw, point by point (the
// per-column reduction would draw its line without asking for points).
class ProbeSeries : public TLineSeries {
 public:
  explicit ProbeSeries(std::string name) : TLineSeries(std::move(name)) {
    SetReducedDrawing(false);
  }
  std::vector<std::string> log;
  void DoBeforeDrawChart() override { log.push_back("before-chart"); }
  void DrawPoint(int index) override { log.push_back("point " + std::to_string(index)); }
};

TEST_F(Layout, SeriesAreDrawnInListOrderInsideTheClip) {
  UseWindowPanel();
  ProbeSeries first("first");
  ProbeSeries second("second");
  ProbeSeries idle("idle");
  for (ProbeSeries* s : {&first, &second, &idle}) s->SetParentChart(chart.get());
  idle.SetActive(false);
  first.AddPoint(0, 1);
  first.AddPoint(1, 2);
  second.AddPoint(0, 3);
  std::vector<std::string> order;
  first.BeforeDrawValues = [&](TChartSeries&) { order.push_back("first before"); };
  first.AfterDrawValues = [&](TChartSeries&) { order.push_back("first after"); };
  second.BeforeDrawValues = [&](TChartSeries&) { order.push_back("second before"); };
  chart->OnAfterDraw = [&](TCustomChart&) { order.push_back("after draw"); };
  chart->Paint();
  EXPECT_EQ(first.log, (std::vector<std::string>{"before-chart", "point 0", "point 1"}));
  EXPECT_EQ(second.log, (std::vector<std::string>{"before-chart", "point 0"}));
  EXPECT_TRUE(idle.log.empty());
  EXPECT_EQ(order, (std::vector<std::string>{"first before", "first after", "second before",
                                             "after draw"}));
  auto clips = canvas->OpsOf("Clip");
  ASSERT_EQ(clips.size(), 4u);
  const TRect& r = chart->ChartRect;
  EXPECT_EQ(clips[0]->args, (std::vector<int>{r.Left + 1, r.Top + 1, r.Right, r.Bottom - 1}));
  EXPECT_EQ(clips[1]->args[0], 0);
  EXPECT_GT(r.Left, 15) << "the left axis takes its labels' room";
  EXPECT_LT(r.Bottom, 291) << "the bottom axis takes its labels' room";
}

TEST_F(Layout, ZoomBandIsDrawnNotXorAndTheModeRestored) {
  UseWindowPanel();
  chart->ZoomState() = TZoomPanningRecord{30, 40, 130, 90, true};
  chart->SetColor(clWhite);
  chart->Paint();
  auto rects = canvas->OpsOf("Rectangle");
  ASSERT_EQ(rects.size(), 2u);
  EXPECT_EQ(rects[1]->args, (std::vector<int>{30, 40, 130, 90}));
  EXPECT_EQ(rects[1]->pen.Mode(), pmNotXor);
  EXPECT_EQ(rects[1]->pen.Color(), clRed) << "a white panel draws the band red";
  EXPECT_EQ(rects[1]->brush.Style(), bsClear);
  EXPECT_EQ(canvas->Pen().Mode(), pmCopy);
  EXPECT_EQ(canvas->Pen().Color(), clBlack) << "attributes are reset after drawing";
}

}  // namespace
}  // namespace kolva::chart
