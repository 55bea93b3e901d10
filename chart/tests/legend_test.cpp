// SPDX-License-Identifier: MIT
// The legend: items and their texts, geometry on all four sides, the chart
// window's legend worked through, on the recording canvas (every text 12
// pixels high, every character 6 wide).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chart/chart_errors.h"
#include "chart/legend_layout.h"
#include "chart/line_series.h"
#include "chart_fixture_fake.h"

namespace kolva::chart {
namespace {

using Op = testing::RecordingCanvas::Op;
constexpr int kH = testing::RecordingCanvas::kTextHeight;
constexpr int kChar = testing::RecordingCanvas::kCharWidth;

// --- Geometry without a canvas -----------------------------------------------

LegendLayoutInput WindowInput(TLegendAlignment alignment, int textWidth) {
  LegendLayoutInput in;
  in.alignment = alignment;
  in.chartBounds = TRect{0, 0, 471, 304};
  in.chartRect = TRect{15, 13, 456, 291};
  in.fontHeight = kH;
  in.itemCount = 2;
  in.maxTextWidth = [textWidth](int) { return textWidth; };
  return in;
}

TEST(LegendGeometry, RightAndLeftColumnsFromTheWorkedFigures) {
  LegendGeometry g = LegendGeometryOf(WindowInput(laRight, 0));
  EXPECT_EQ(g.rect, (TRect{440, 30, 451, 30 + 2 * kH + 2}));  // top: Round(30.4)
  EXPECT_EQ(g.rows, 2);
  EXPECT_EQ(g.colorBoxWidth, 1);  // Round(10 * 12 %)
  EXPECT_EQ(g.textX, 449);
  EXPECT_EQ(g.symbolX, 444);
  EXPECT_EQ(g.items, 2);

  g = LegendGeometryOf(WindowInput(laRight, 48));
  EXPECT_EQ(g.colorBoxWidth, 7);  // Round(58 * 12 %) = Round(6.96)
  EXPECT_EQ(g.textX, 451 - 48 - 2);
  EXPECT_EQ(g.rect.Left, 401 - 7 - 4 - 4);

  g = LegendGeometryOf(WindowInput(laLeft, 48));
  EXPECT_EQ(g.rect.Left, 15 + 2);
  EXPECT_EQ(g.symbolX, 21);
  EXPECT_EQ(g.textX, 21 + 7 + 4);
  EXPECT_EQ(g.rect.Right, 32 + 48 + 2);
}

TEST(LegendGeometry, TopAndBottomRowsAreCentredAndShifted) {
  LegendLayoutInput in = WindowInput(laTop, 30);
  in.topPos = 0;
  LegendGeometry g = LegendGeometryOf(in);
  // ItemWidth 34, ColorBoxWidth Round(4.08) = 4, columns min(2, (441-2-8) / 46).
  EXPECT_EQ(g.itemWidth, 34);
  EXPECT_EQ(g.colorBoxWidth, 4);
  EXPECT_EQ(g.columns, 2);
  EXPECT_EQ(g.rows, 1);
  const int width = 6 + (4 + 34 + 4) * 2 + 8;  // 98
  EXPECT_EQ(g.rect, (TRect{235 - width / 2, 15, 235 + width / 2, 15 + kH + 2}));
  EXPECT_EQ(g.textX, g.rect.Left + 4 + 8);
  EXPECT_EQ(LegendItemOrigin(g, kH, 1).X, g.textX + 34 + 4 + 4);

  in.topPos = 10;
  g = LegendGeometryOf(in);
  EXPECT_EQ(g.rect.Left, 235 - 49 + 37);  // shift Round(10 % of (471 - 98)) = Round(37.3)

  in.alignment = laBottom;
  in.frameWidth = 2;
  g = LegendGeometryOf(in);
  EXPECT_EQ(g.rect.Bottom, 291 - 3 - 3);
  EXPECT_EQ(g.rect.Top, g.rect.Bottom - kH - 2);
}

TEST(LegendGeometry, RowsThatFitCountTheFrameAndNeverGoNegative) {
  const TRect plot{15, 13, 456, 291};
  EXPECT_EQ(LegendRowsThatFit(true, plot, 1, 2, 30, kH), 2);
  EXPECT_EQ(LegendRowsThatFit(true, plot, 1, 99, 30, kH), (291 - 2 - 30) / kH);
  EXPECT_EQ(LegendRowsThatFit(true, plot, 1, 2, 280, kH), 0);
  EXPECT_EQ(LegendRowsThatFit(true, plot, 1, 2, 291, kH), 0);
  EXPECT_EQ(LegendRowsThatFit(true, plot, 20, 2, 280, kH), 0);
  EXPECT_EQ(LegendRowsThatFit(true, plot, 1, 2, 30, 0), 0);
  EXPECT_EQ(LegendRowsThatFit(false, plot, 1, 9, 8, 100), 4);  // (441 - 2 - 8) / 100
}

TEST(LegendGeometry, TheBoxShadowAndThePlotLeftOver) {
  const TRect r{440, 30, 451, 56};
  EXPECT_EQ(LegendBoxOf(r, true, 1), (TRect{439, 29, 452, 57}));
  EXPECT_EQ(LegendBoxOf(r, false, 1), r);
  EXPECT_EQ(LegendShadowOf(r, 3, true, 1), (TRect{443, 33, 455, 60}));
  EXPECT_EQ(LegendShadowOf(r, 3, true, 3), (TRect{443, 33, 458, 63}));
  EXPECT_EQ(LegendShadowOf(r, 3, false, 1), (TRect{443, 33, 453, 58}));
  EXPECT_EQ(LegendShadowOf(r, 0, true, 1), TRect{});

  const TRect plot{15, 13, 456, 291};  // 441 x 278
  EXPECT_EQ(ChartRectAfterLegend(laRight, plot, r, true, 3, 0, 0), (TRect{15, 13, 427, 291}));
  EXPECT_EQ(ChartRectAfterLegend(laRight, plot, r, false, 3, 0, 0), (TRect{15, 13, 443, 291}));
  EXPECT_EQ(ChartRectAfterLegend(laLeft, plot, r, true, 3, 5, 0), (TRect{456, 13, 456, 291}));
  EXPECT_EQ(ChartRectAfterLegend(laTop, plot, r, true, 3, 0, 0), (TRect{15, 70, 456, 291}));
  EXPECT_EQ(ChartRectAfterLegend(laBottom, plot, r, true, 3, 0, 7), (TRect{15, 13, 456, 23}));
}

// --- The legend in the chart --------------------------------------------------

class Legend : public testing::ChartFixture {
 protected:
  Legend() {
    UseWindowPanel();
    for (TLineSeries* s : {&series1, &series2}) s->SetParentChart(chart.get());
    series1.SetSeriesColor(clRed);
    series2.SetSeriesColor(clGreen);
    legend().SetLegendStyle(lsLastValues);
  }

  TChartLegend& legend() { return chart->Legend(); }

  // The texts drawn at the right of the plot's left edge with the legend font.
  std::vector<const Op*> LegendTexts() const {
    std::vector<const Op*> out;
    for (const Op* op : canvas->OpsOf("TextOut"))
      if (op->args[0] >= chart->Legend().LegendRect.Left &&
          op->args[0] < chart->Legend().LegendRect.Right)
        out.push_back(op);
    return out;
  }

  // Horizontal lines inside the legend box: the symbols.
  std::vector<const Op*> Symbols() const {
    std::vector<const Op*> out;
    const TRect& r = chart->Legend().LegendRect;
    for (const Op* op : canvas->OpsOf("LineTo"))
      if (op->args[0] > r.Left && op->args[0] < r.Right && op->args[1] > r.Top &&
          op->args[1] < r.Bottom)
        out.push_back(op);
    return out;
  }

  TLineSeries series1{"Series1"};
  TLineSeries series2{"Series2"};
};

TEST_F(Legend, BothSeriesEmptyGiveABoxWithTwoEmptyRows) {
  chart->Paint();
  EXPECT_EQ(legend().LegendRect, (TRect{440, 30, 451, 30 + 2 * kH + 2}));
  EXPECT_EQ(legend().ColorBoxWidth, 1);
  EXPECT_TRUE(LegendTexts().empty());
  EXPECT_TRUE(Symbols().empty());
  // Shadow, then the white box with its black outline.
  auto fills = canvas->OpsOf("FillRect");
  ASSERT_GE(fills.size(), 2u);
  EXPECT_EQ(fills[1]->args, (std::vector<int>{443, 33, 455, 60}));
  EXPECT_EQ(fills[1]->brush.Color(), clBlack);
  auto rects = canvas->OpsOf("Rectangle");
  ASSERT_GE(rects.size(), 2u);
  EXPECT_EQ(rects[0]->args, (std::vector<int>{439, 29, 452, 57}));
  EXPECT_EQ(rects[0]->brush.Color(), clWhite);
  EXPECT_EQ(rects[0]->pen.Color(), clBlack);
  EXPECT_EQ(rects[0]->pen.Width(), 1);
  // The plot loses the strip and the 3 % gap; the back wall shows it.
  EXPECT_EQ(rects[1]->args[2], 440 - 13 + 1);
  EXPECT_EQ(chart->LegendColor, clWhite);
}

TEST_F(Legend, LastValuesShowEachSeriesLatestPointWithItsSymbol) {
  series1.AddPoint(0, 1.5, "", clRed);
  series1.AddPoint(1, 1234.5, "", clRed);
  series2.AddPoint(0, -7, "", clWhite);
  chart->Paint();
  EXPECT_EQ(legend().LegendItemText(0), "1,234.5 ");
  EXPECT_EQ(legend().LegendItemText(1), "-7 ");
  const int tw = 8 * kChar;
  const int cbw = 7;  // Round((48 + 10) * 12 %)
  const int right = 456 - 2 - 3;
  EXPECT_EQ(legend().ColorBoxWidth, cbw);
  EXPECT_EQ(legend().LegendRect, (TRect{right - tw - 2 - cbw - 8, 30, right, 56}));
  auto texts = LegendTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0]->args, (std::vector<int>{right - tw - 2, 31}));
  EXPECT_EQ(texts[1]->args, (std::vector<int>{right - tw - 2, 31 + kH}));
  EXPECT_EQ(texts[0]->backMode, kBackModeTransparent);
  auto symbols = Symbols();
  ASSERT_EQ(symbols.size(), 2u);
  EXPECT_EQ(symbols[0]->pen.Color(), clRed);
  EXPECT_EQ(symbols[1]->pen.Color(), clGreen);
  // Symbol rectangle (x - 4 - ColorBoxWidth, y + 2, x - 4, y + H - 2), line at its middle.
  const int textX = right - tw - 2;
  EXPECT_EQ(symbols[0]->args, (std::vector<int>{textX - 4, 31 + (2 + kH - 2) / 2}));
  const Op* move = &symbols[0][-1];
  EXPECT_EQ(move->args, (std::vector<int>{textX - 4 - cbw, 31 + 6}));
}

TEST_F(Legend, AChartTooShortForARowDrawsNothingAndKeepsThePlot) {
  legend().SetTopPos(100);
  series1.AddPoint(0, 1);
  chart->Paint();
  EXPECT_TRUE(LegendTexts().empty());
  EXPECT_EQ(canvas->Count("FillRect"), 1) << "only the panel";
  EXPECT_EQ(legend().LegendRect.Top, 304);
  EXPECT_EQ(legend().LegendRect.Bottom, 306);
  EXPECT_GT(chart->ChartRect.Right, 440) << "the plot keeps its width";
}

TEST_F(Legend, AutoStyleFollowsTheNumberOfActiveSeries) {
  legend().SetLegendStyle(lsAuto);
  series1.AddPoint(0, 10);
  series1.AddPoint(1, 20);
  series1.AddPoint(2, 30);
  series2.AddPoint(0, 5);
  EXPECT_EQ(legend().EffectiveLegendStyle(), lsSeries);
  EXPECT_EQ(legend().LegendItemCount(), 2);
  EXPECT_EQ(legend().LegendItemText(1), "Series2");
  series2.SetActive(false);
  EXPECT_EQ(legend().EffectiveLegendStyle(), lsValues);
  EXPECT_EQ(legend().LegendItemCount(), 3);
  EXPECT_EQ(legend().LegendItemText(2), "30 ");
  series1.SetShowInLegend(false);
  EXPECT_EQ(legend().LegendItemCount(), 0);
  chart->Paint();
  EXPECT_EQ(canvas->Count("FillRect"), 1) << "no items, no box";
}

TEST_F(Legend, FirstValueSkipsItemsAndInvertedReversesTheRows) {
  series1.AddPoint(0, 1);
  series2.AddPoint(0, 2);
  legend().SetFirstValue(1);
  chart->Paint();
  EXPECT_EQ(legend().LegendItemCount(), 1);
  auto texts = LegendTexts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0]->text, "2 ");
  ASSERT_EQ(Symbols().size(), 1u);
  EXPECT_EQ(Symbols()[0]->pen.Color(), clGreen);

  legend().SetFirstValue(0);
  legend().SetInverted(true);
  canvas->Clear();
  chart->Paint();
  texts = LegendTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0]->text, "2 ");
  EXPECT_EQ(texts[0]->args[1], 31) << "the second item in the first row";
  EXPECT_EQ(texts[1]->text, "1 ");
  EXPECT_EQ(texts[1]->args[1], 31 + kH);
}

TEST_F(Legend, DividingLinesSeparateTheRows) {
  series1.AddPoint(0, 1);
  series2.AddPoint(0, 2);
  legend().DividingLines().SetVisible(true);
  legend().DividingLines().SetColor(clBlue);
  chart->Paint();
  std::vector<const Op*> blue;
  for (const Op* op : canvas->OpsOf("LineTo"))
    if (op->pen.Color() == clBlue) blue.push_back(op);
  ASSERT_EQ(blue.size(), 1u);
  EXPECT_EQ(blue[0]->args, (std::vector<int>{legend().LegendRect.Right, 31 + kH}));
}

TEST_F(Legend, TextStylesComposeLabelValueAndPercent) {
  series1.AddPoint(0, 25, "a\rb");
  series1.AddPoint(2, -75);
  struct Case {
    TLegendTextStyle style;
    int point;
    std::string text;
  };
  const std::vector<Case> cases = {
      {ltsPlain, 0, "a b"},           {ltsLeftValue, 0, "25 a b"},
      {ltsRightValue, 0, "a b 25"},   {ltsLeftPercent, 0, "25 % a b"},
      {ltsRightPercent, 1, " -75 %"}, {ltsXValue, 1, "2"},
      {ltsLeftValue, -1, ""},
  };
  for (const Case& c : cases) {
    legend().SetTextStyle(c.style);
    EXPECT_EQ(legend().FormattedValueText(series1, c.point), c.text) << c.style;
  }
}

TEST_F(Legend, TheEventsMayChangeTextAndRectangle) {
  series1.AddPoint(0, 1);
  legend().OnGetLegendText = [](TCustomChart&, TLegendStyle style, int i, std::string& text) {
    if (style == lsLastValues && i == 0) text = "mV " + text;
  };
  legend().OnGetLegendRect = [](TCustomChart&, TRect& r) { r.Left -= 50; };
  chart->Paint();
  EXPECT_NE(canvas->FindText("mV 1 "), nullptr);
  const int cbw = 5;  // Round((30 + 10) * 12 %)
  EXPECT_EQ(legend().LegendRect.Left, 456 - 5 - 5 * kChar - 2 - cbw - 4 - 4 - 50);
}

TEST_F(Legend, InvalidSettingsRaiseAndKeepTheOldValue) {
  struct Case {
    std::function<void()> set;
    std::string message;
  };
  const std::vector<Case> cases = {
      {[&] { legend().SetTopPos(-1); }, "Top Legend Position must be between 0 and 100 %"},
      {[&] { legend().SetTopPos(101); }, "Top Legend Position must be between 0 and 100 %"},
      {[&] { legend().SetColorWidth(101); }, "Legend Color Width must be between 0 and 100 %"},
      {[&] { legend().SetColorWidth(-1); }, "Legend Color Width must be between 0 and 100 %"},
      {[&] { legend().SetFirstValue(-1); }, "First Legend Value must be > 0"},
  };
  for (const Case& c : cases) {
    try {
      c.set();
      ADD_FAILURE() << "no exception for " << c.message;
    } catch (const LegendException& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  EXPECT_EQ(legend().TopPos(), 10);
  EXPECT_EQ(legend().ColorWidth(), 12);
  legend().SetTopPos(100);
  legend().SetColorWidth(0);
  EXPECT_EQ(legend().TopPos(), 100);
  EXPECT_EQ(legend().ColorWidth(), 0);
}

}  // namespace
}  // namespace kolva::chart
