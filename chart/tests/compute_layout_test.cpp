// SPDX-License-Identifier: MIT
// The chart's layout computed without a paint, with fixed text measures:
// every character 6 pixels wide, every line 12 high. The recording canvas
// must stay empty: laying out draws nothing.
#include <gtest/gtest.h>

#include <string>

#include "chart/chart_layout.h"
#include "chart/line_series.h"
#include "chart/text_metrics.h"
#include "chart_fixture_fake.h"

namespace kolva::chart {
namespace {

constexpr int kH = 12;

class FixedMetrics : public TextMetrics {
 public:
  int TextWidth(const TFont&, const std::string& text) override {
    return 6 * static_cast<int>(text.size());
  }
  int FontHeight(const TFont&) override { return kH; }
};

// The chart window's chart: two series from x 0 to 10, y -2 to 5, the last
// values 5 and -2 (legend rows "5 " and "-2 ", 18 pixels wide at most).
class LayoutValue : public testing::ChartFixture {
 protected:
  LayoutValue() {
    UseWindowPanel();
    chart->Title().SetText({"Title"});
    chart->Foot().SetText({"Foot"});
    chart->BottomAxis().Title().SetCaption("t[s]");
    chart->Legend().SetLegendStyle(lsLastValues);
    for (TLineSeries* s : {&series1, &series2}) s->SetParentChart(chart.get());
    series1.AddPoint(0, 0);
    series1.AddPoint(10, 5);
    series2.AddPoint(0, -2);
    series2.AddPoint(10, -2);
  }

  TChartLayout Compute() {
    TChartLayout layout = ComputeLayout(*chart, metrics);
    EXPECT_TRUE(canvas->ops.empty()) << "laying out drew on the canvas";
    return layout;
  }

  FixedMetrics metrics;
  TLineSeries series1;
  TLineSeries series2;
};

TEST_F(LayoutValue, TheChartWindowWorkedThrough) {
  const TChartLayout l = Compute();
  EXPECT_EQ(l.chartBounds, (TRect{0, 0, 471, 304}));
  // Margins 14, 12, 14, 12 inside the border; the legend takes its strip
  // at the right: text 18, box 3, frame and shadow 5, gap 3 % of 441.
  EXPECT_EQ(l.legend.rect, (TRect{420, 30, 451, 30 + 2 * kH + 2}));
  ASSERT_EQ(l.legend.rows.size(), 2u);
  EXPECT_EQ(l.legend.rows[1].at, (TPoint{431, 31 + kH}));
  EXPECT_EQ(l.legend.rows[1].text, "-2 ");
  EXPECT_EQ(l.legend.rows[1].symbol, (TRect{424, 33 + kH, 427, 31 + 2 * kH - 2}));
  // Title and foot are centred over what the legend left.
  EXPECT_EQ(l.title.rect, (TRect{15, 13, 407, 13 + kH}));
  EXPECT_EQ(l.title.lineX, (std::vector<int>{(15 + 407) / 2 - 15}));
  EXPECT_EQ(l.foot.rect, (TRect{15, 291 - kH, 407, 291}));
  // Left axis: labels "5" and "-2" plus a blank, ticks 6; bottom axis: its
  // title, one line of labels, ticks 6.
  const TAxisLayout& left = l.Axis(AxisSide::kLeft);
  EXPECT_EQ(left.labelsSize, 18);
  EXPECT_EQ(left.labelsPos, 15 + 18);
  EXPECT_EQ(left.tickSize, 6);
  EXPECT_EQ(left.axisLinePos, 39);
  const TAxisLayout& bottom = l.Axis(AxisSide::kBottom);
  EXPECT_EQ(bottom.titlePos, 274 - kH);
  EXPECT_EQ(bottom.labelsPos, 274 - 2 * kH);
  EXPECT_EQ(bottom.axisLinePos, 244);
  EXPECT_EQ(l.chartRect, (TRect{39, 30, 407, 244}));
  EXPECT_EQ(l.chartXCenter, 223);
  EXPECT_EQ(bottom.rangeMin, 0.0);
  EXPECT_EQ(bottom.rangeMax, 10.0);
  EXPECT_EQ(left.rangeMin, -2.0);
  EXPECT_EQ(left.labelStep, 1.0);
  EXPECT_FALSE(l.Axis(AxisSide::kTop).shown);
  EXPECT_FALSE(l.Axis(AxisSide::kRight).shown);

  // The paint draws from this very layout and keeps it.
  chart->Paint();
  EXPECT_EQ(chart->ChartRect, l.chartRect);
  EXPECT_EQ(chart->Legend().LegendRect, l.legend.rect);
  EXPECT_EQ(chart->LeftAxis().AxisLinePos(), left.axisLinePos);
  EXPECT_EQ(chart->Layout().Axis(AxisSide::kBottom), bottom);
}

TEST_F(LayoutValue, ASmallWindowIsRepairedNotRefused) {
  chart->SetBounds(0, 0, 60, 40);  // a client area of 54 x 34
  const TChartLayout l = Compute();
  EXPECT_EQ(l.legend.rect, (TRect{15, 3, 46, 29}));
  // The title and foot cross over: the plot is kept one pixel high; the axes'
  // bands would leave nothing of it, so it stays as it was.
  EXPECT_EQ(l.chartRect, (TRect{3, 19, 14, 20}));
  EXPECT_EQ(l.chartHeight, 1);
  EXPECT_EQ(l.Axis(AxisSide::kBottom).axisLinePos, 20);
}

TEST_F(LayoutValue, ATitledVerticalAxisTakesItsTitleBandFirst) {
  chart->LeftAxis().Title().SetCaption("U[mV]");
  TAxisLayout left = Compute().Axis(AxisSide::kLeft);
  // Turned 90 degrees: one line high.
  EXPECT_EQ(left.titleSize, kH);
  EXPECT_EQ(left.titlePos, 15 + kH);
  EXPECT_EQ(left.labelsPos, 15 + kH + 18);
  EXPECT_EQ(left.axisLinePos, 15 + kH + 18 + 6);
  // Level: as wide as the caption.
  chart->LeftAxis().Title().SetAngle(0);
  left = Compute().Axis(AxisSide::kLeft);
  EXPECT_EQ(left.titleSize, 5 * 6);
  EXPECT_EQ(left.axisLinePos, 15 + 30 + 18 + 6);
}

TEST_F(LayoutValue, AHiddenLegendLeavesThePlotItsWidth) {
  chart->Legend().SetVisible(false);
  const TChartLayout l = Compute();
  EXPECT_FALSE(l.legend.shown);
  EXPECT_TRUE(l.legend.rows.empty());
  EXPECT_EQ(l.chartRect.Right, 456);
  EXPECT_EQ(l.title.lineX, (std::vector<int>{(15 + 456) / 2 - 15}));
}

TEST_F(LayoutValue, ALegendAtTheTopComesAfterTheTitles) {
  chart->Legend().SetAlignment(laTop);
  const TChartLayout l = Compute();
  EXPECT_EQ(l.title.rect, (TRect{15, 13, 456, 13 + kH}));
  // Two columns of 3 + 22 + 4, centred and shifted by 10 % of the rest of
  // the width, below the title and the frame.
  EXPECT_EQ(l.legend.rect, (TRect{239, 32, 311, 32 + kH + 2}));
  // The shadow and 4 % of the height the titles left.
  EXPECT_EQ(l.chartRect.Top, 46 + 3 + 10);
}

TEST_F(LayoutValue, AZoomReadsTheRangesOfThePictureOnScreen) {
  chart->Paint();
  ASSERT_EQ(chart->ChartRect, (TRect{39, 30, 407, 244}));
  series1.AddPoint(20, 5);  // the next paint would show x up to 20
  chart->Zooming().ZoomToRect(TZoomPanningRecord{39, 30, 223, 244, false});
  EXPECT_EQ(chart->BottomAxis().Minimum(), 0.0);
  EXPECT_EQ(chart->BottomAxis().Maximum(), 5.0);
  EXPECT_EQ(chart->LeftAxis().Minimum(), -2.0);
  EXPECT_EQ(chart->LeftAxis().Maximum(), 5.0);
}

TEST_F(LayoutValue, ClicksFollowThePictureOnScreenUntilTheNextPaint) {
  chart->Paint();
  const TRect legend = chart->Legend().LegendRect;
  const TRect plot = chart->ChartRect;
  chart->Legend().SetVisible(false);
  chart->Title().SetText({});
  EXPECT_EQ(chart->Mouse().ClickedPart(legend.Left + 2, legend.Top + 2).Part, hitLegend);
  EXPECT_EQ(chart->ChartRect, plot);
  Turn();
  EXPECT_NE(chart->Mouse().ClickedPart(legend.Left + 2, legend.Top + 2).Part, hitLegend);
  EXPECT_LT(chart->ChartRect.Top, plot.Top) << "the title's line went to the plot";
}

}  // namespace
}  // namespace kolva::chart
