// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <vector>

#include "zoom_fixture_fake.h"

namespace kolva::chart {
namespace {

using Click = testing::ZoomFixture;
using Band = testing::ZoomFixture;

// --- What lies under the mouse -------------------------------------------------

TEST_F(Click, PartsUnderTheMouseInTheirOrder) {
  const TRect plot = chart->ChartRect;
  const int axisX = chart->LeftAxis().AxisLinePos();
  const TRect title = chart->Title().TitleRect();
  const TRect legend = chart->Legend().LegendRect;
  ASSERT_GT(legend.Width(), 0) << "the legend was drawn";
  EXPECT_EQ(Mouse().ClickedPart(legend.Left + 2, legend.Top + 2).Part, hitLegend);
  EXPECT_EQ(Mouse().ClickedPart(title.Left + 5, title.Top + 1).Part, hitTitle);
  const TRect foot = chart->Foot().TitleRect();
  EXPECT_EQ(Mouse().ClickedPart(foot.Left + 5, foot.Bottom - 1).Part, hitFoot);
  EXPECT_EQ(Mouse().ClickedPart(plot.Left + 60, plot.Top + 5).Part, hitPlotArea);
  EXPECT_EQ(Mouse().ClickedPart(plot.Right, plot.Top + 5).Part, hitNone)
      << "the right edge is outside the plot";
  EXPECT_EQ(Mouse().ClickedPart(0, 0).Part, hitNone);

  TChartClickedPart axis = Mouse().ClickedPart(axisX - 11, plot.Top + 40);
  EXPECT_EQ(axis.Part, hitAxis);
  EXPECT_EQ(axis.AAxis, &chart->LeftAxis());
  EXPECT_NE(Mouse().ClickedPart(axisX - 12, plot.Top + 40).Part, hitAxis);
  EXPECT_NE(Mouse().ClickedPart(axisX, plot.Top - 1).Part, hitAxis)
      << "a vertical axis is hit only beside the plot's height";
}

TEST_F(Click, APointOfTheLastSeriesWinsOverTheFirstAndOverTheAxes) {
  series1.AddPoint(39, -195, "", clRed);  // the same place as series2's last point
  Turn();
  const int px = series2.PixelX(kPoints - 1);
  const int py = series2.PixelY(kPoints - 1);
  TChartClickedPart part = Mouse().ClickedPart(px, py);
  EXPECT_EQ(part.Part, hitSeries);
  EXPECT_EQ(part.ASeries, &series2);
  EXPECT_EQ(part.PointIndex, kPoints - 1);
  series2.SetActive(false);
  Turn();
  part = Mouse().ClickedPart(series1.PixelX(kPoints), series1.PixelY(kPoints));
  EXPECT_EQ(part.ASeries, &series1);
}

TEST_F(Click, APlotWithoutSeriesIsNoPlotArea) {
  series1.SetParentChart(nullptr);
  series2.SetParentChart(nullptr);
  Turn();
  const TRect plot = chart->ChartRect;
  EXPECT_EQ(Mouse().ClickedPart(plot.Left + 20, plot.Top + 20).Part, hitNone);
}

// --- What a press starts -----------------------------------------------------------

TEST_F(Click, PressesOnTheLegendTitleOrMarginsStartNothing) {
  const TRect title = chart->Title().TitleRect();
  const TRect legend = chart->Legend().LegendRect;
  const std::vector<TPoint> places = {
      {title.Left + 5, title.Top + 1}, {legend.Left + 2, legend.Top + 2}, {1, 1}};
  for (const TPoint& p : places) {
    for (TMouseButton button : {mbLeft, mbRight}) {
      Mouse().MouseDown(button, 0, p.X, p.Y);
      EXPECT_FALSE(chart->ZoomState().Active) << p.X << ", " << p.Y;
      EXPECT_FALSE(chart->PanState().Active) << p.X << ", " << p.Y;
      Mouse().MouseUp(button, 0, p.X, p.Y);
    }
  }
}

TEST_F(Click, PressesOnAnAxisOrASeriesPointStartADragWithTheArrowCursor) {
  chart->SetCursor(7);
  const int axisX = chart->LeftAxis().AxisLinePos();
  Mouse().MouseDown(mbLeft, 0, axisX - 5, Y(40));
  EXPECT_TRUE(chart->ZoomState().Active);
  EXPECT_EQ(chart->Cursor(), crDefault);
  Mouse().MouseUp(mbLeft, 0, axisX - 5, Y(40));
  Mouse().MouseDown(mbRight, 0, series1.PixelX(3), series1.PixelY(3));
  EXPECT_TRUE(chart->PanState().Active);
}

TEST_F(Click, AClickEventThatKeepsTheFlagHandlesThePressOneThatClearsItLetsTheDragStart) {
  int backgrounds = 0;
  chart->OnClickBackground = [&](TCustomChart&, TMouseButton, TShiftState, int, int) {
    ++backgrounds;
  };
  Mouse().MouseDown(mbLeft, 0, X(50), Y(50));
  EXPECT_EQ(backgrounds, 1);
  EXPECT_FALSE(chart->ZoomState().Active);
  EXPECT_FALSE(Mouse().ClickFlag());

  chart->OnClickBackground = [&](TCustomChart&, TMouseButton, TShiftState, int, int) {
    ++backgrounds;
    Mouse().SetClickFlag(false);
  };
  Mouse().MouseDown(mbMiddle, 0, X(50), Y(50));
  EXPECT_EQ(backgrounds, 2) << "fired once although no drag started";
  Mouse().MouseDown(mbLeft, 0, X(50), Y(50));
  EXPECT_EQ(backgrounds, 3);
  EXPECT_TRUE(chart->ZoomState().Active);
  Mouse().MouseUp(mbLeft, 0, X(50), Y(50));

  int legends = 0;
  chart->OnClickLegend = [&](TCustomChart&, TMouseButton, TShiftState, int, int) { ++legends; };
  const TRect legend = chart->Legend().LegendRect;
  Mouse().MouseDown(mbLeft, 0, legend.Left + 1, legend.Top + 1);
  EXPECT_EQ(legends, 1);
  EXPECT_EQ(backgrounds, 3) << "the legend's event handled the press";
}

TEST_F(Click, ASeriesClickEventHandlesThePress) {
  std::vector<int> clicked;
  series2.OnClick = [&](TChartSeries&, int index, int, int) { clicked.push_back(index); };
  Mouse().MouseDown(mbLeft, 0, series2.PixelX(5), series2.PixelY(5));
  EXPECT_EQ(clicked, std::vector<int>{5});
  EXPECT_FALSE(chart->ZoomState().Active);
  Mouse().MouseDown(mbLeft, ssDouble, series2.PixelX(5), series2.PixelY(5));
  EXPECT_EQ(clicked.size(), 1u) << "a double click asks OnDblClick, which is unassigned";
  EXPECT_TRUE(chart->ZoomState().Active);
}

// --- The band ------------------------------------------------------------------------

TEST_F(Band, FollowsTheMouseErasingTheOldBandFirst) {
  Mouse().MouseDown(mbLeft, 0, X(100), Y(80));
  canvas->Clear();
  Mouse().MouseMove(0, X(60), Y(40));
  Mouse().MouseMove(0, X(60), Y(40));
  auto bands = canvas->OpsOf("Rectangle");
  ASSERT_EQ(bands.size(), 2u) << "a move to the same place draws nothing";
  EXPECT_EQ(bands[0]->args, (std::vector<int>{X(100), Y(80), X(100), Y(80)}));
  EXPECT_EQ(bands[1]->args, (std::vector<int>{X(60), Y(40), X(100), Y(80)}))
      << "the corners ordered";
  EXPECT_EQ(bands[1]->pen.Color(), clTeal) << "the chart window's colour";
  EXPECT_EQ(bands[1]->brush.Style(), bsClear);
  EXPECT_EQ(bands[1]->pen.Width(), 1);
  EXPECT_EQ(canvas->Pen().Mode(), pmCopy);
  EXPECT_EQ(canvas->Pen().Color(), clBlack) << "attributes left reset, as a paint leaves them";
  EXPECT_FALSE(chart->RepaintPending());
}

TEST_F(Band, IsDrawnAgainAsTheLastStepOfEveryPaintWhileTheDragLasts) {
  chart->SetColor(clWhite);
  Turn();
  Mouse().MouseDown(mbLeft, 0, X(10), Y(10));
  Mouse().MouseMove(0, X(90), Y(70));
  for (int i = 0; i < 2; ++i) {
    AddReading(kPoints + i);
    canvas->Clear();
    Turn();
    auto rects = canvas->OpsOf("Rectangle");
    ASSERT_FALSE(rects.empty());
    const auto* band = rects.back();
    EXPECT_EQ(band->args, (std::vector<int>{X(10), Y(10), X(90), Y(70)}));
    EXPECT_EQ(band->pen.Mode(), pmNotXor);
    EXPECT_EQ(band->pen.Color(), clRed) << "red on a white chart";
    auto clips = canvas->OpsOf("Clip");
    ASSERT_FALSE(clips.empty());
    EXPECT_EQ(clips.back()->args, (std::vector<int>{0, 0, 1024, 768})) << "the band is not clipped";
  }
  Mouse().MouseUp(mbLeft, 0, X(90), Y(70));
  canvas->Clear();
  chart->Invalidate();
  Turn();
  EXPECT_NE(canvas->OpsOf("Rectangle").back()->pen.Mode(), pmNotXor);
}

TEST_F(Band, IsNotDrawnOntoAStaleImage) {
  Mouse().MouseDown(mbLeft, 0, X(10), Y(10));
  AddReading(kPoints);
  canvas->Clear();
  Mouse().MouseMove(0, X(50), Y(50));
  EXPECT_EQ(canvas->Count("Rectangle"), 0) << "the requested paint draws it";
  Turn();
  EXPECT_EQ(canvas->OpsOf("Rectangle").back()->args,
            (std::vector<int>{X(10), Y(10), X(50), Y(50)}));
}

}  // namespace
}  // namespace kolva::chart
