// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "zoom_fixture_fake.h"

namespace kolva::chart {
namespace {

using Pan = testing::ZoomFixture;

TEST_F(Pan, RightDragKeepsTheValueUnderTheMouseUnderIt) {
  TChartAxis& x = chart->BottomAxis();
  TChartAxis& y = chart->LeftAxis();
  const double dx = x.PixelToValue(X(100)) - x.PixelToValue(X(130));
  const double dy = y.PixelToValue(Y(50)) - y.PixelToValue(Y(40));
  const double grabbedX = x.PixelToValue(X(100));
  const double grabbedY = y.PixelToValue(Y(50));
  const double xMin = x.Minimum();
  const double yMax = y.Maximum();
  int scrolls = 0;
  chart->OnScroll = [&](TCustomChart&) { ++scrolls; };
  Mouse().MouseDown(mbRight, 0, X(100), Y(50));
  EXPECT_TRUE(chart->PanState().Active);
  EXPECT_FALSE(chart->ZoomState().Active);
  const int before = requests;
  Mouse().MouseMove(0, X(130), Y(40));
  EXPECT_EQ(scrolls, 1);
  EXPECT_EQ(requests, before + 1);
  EXPECT_DOUBLE_EQ(x.Minimum(), xMin + dx);
  EXPECT_DOUBLE_EQ(y.Maximum(), yMax + dy);
  EXPECT_LT(dx, 0.0) << "dragging right shows earlier values";
  EXPECT_LT(dy, 0.0) << "dragging up brings lower values into view";
  EXPECT_FALSE(x.Automatic());
  ASSERT_TRUE(chart->Zooming().AxesSaved());
  EXPECT_TRUE(chart->Zooming().SavedAxes()[1].Automatic);
  EXPECT_FALSE(chart->Zooming().Zoomed()) << "a pan is not a zoom";
  Turn();
  EXPECT_EQ(x.ValueToPixel(grabbedX), X(130)) << "the grabbed value followed the mouse";
  EXPECT_EQ(y.ValueToPixel(grabbedY), Y(40));
  Mouse().MouseUp(mbRight, 0, X(130), Y(40));
  EXPECT_FALSE(chart->PanState().Active);
}

TEST_F(Pan, PanningModeLimitsTheAxesThatMoveAndARefusedScrollMovesNone) {
  chart->SetAllowPanning(pmHorizontal);
  Turn();
  const double yMin = chart->LeftAxis().Minimum();
  Drag(mbRight, X(100), Y(50), X(120), Y(80));
  EXPECT_EQ(chart->LeftAxis().Minimum(), yMin);
  EXPECT_TRUE(chart->LeftAxis().Automatic());
  EXPECT_FALSE(chart->BottomAxis().Automatic());

  Mouse().MouseDown(mbRight, 0, X(100), Y(50));
  const double xMin = chart->BottomAxis().Minimum();
  int asked = 0;
  chart->OnAllowScroll = [&](TChartAxis&, double&, double&, bool& allow) {
    ++asked;
    allow = false;
  };
  Mouse().MouseMove(0, X(110), Y(50));
  EXPECT_EQ(asked, 2) << "bottom and top axes";
  EXPECT_EQ(chart->BottomAxis().Minimum(), xMin);
}

TEST_F(Pan, OnAllowScrollMayChangeTheNewRange) {
  chart->OnAllowScroll = [&](TChartAxis& axis, double& min, double& max, bool&) {
    if (&axis == &chart->BottomAxis()) {
      min = 5;
      max = 7;
    }
  };
  Drag(mbRight, X(100), Y(50), X(110), Y(50));
  EXPECT_EQ(chart->BottomAxis().Minimum(), 5.0);
  EXPECT_EQ(chart->BottomAxis().Maximum(), 7.0);
}

TEST_F(Pan, LeavingThePlotEndsThePanForGood) {
  Mouse().MouseDown(mbRight, 0, X(100), Y(50));
  Mouse().MouseMove(0, X(110), Y(50));
  const double min = chart->BottomAxis().Minimum();
  const int before = requests;
  Mouse().MouseMove(0, chart->ChartRect.Right, Y(50));
  EXPECT_FALSE(chart->PanState().Active) << "the right edge counts as outside";
  Mouse().MouseMove(0, X(50), Y(50));
  EXPECT_EQ(chart->BottomAxis().Minimum(), min);
  EXPECT_EQ(requests, before);
}

TEST_F(Pan, ARightPressDuringALeftDragIsIgnoredAndEitherReleaseEndsAPan) {
  Mouse().MouseDown(mbLeft, 0, X(50), Y(50));
  Mouse().MouseDown(mbRight, 0, X(60), Y(60));
  EXPECT_FALSE(chart->PanState().Active);
  Mouse().MouseMove(0, X(120), Y(120));
  Mouse().MouseUp(mbRight, 0, X(120), Y(120));
  EXPECT_TRUE(chart->ZoomState().Active) << "only the left button ends a zoom drag";
  Mouse().MouseUp(mbLeft, 0, X(120), Y(120));
  EXPECT_TRUE(chart->Zooming().Zoomed());

  Mouse().MouseDown(mbRight, 0, X(50), Y(50));
  Mouse().MouseDown(mbLeft, 0, X(50), Y(50));
  EXPECT_FALSE(chart->ZoomState().Active);
  Mouse().MouseUp(mbLeft, 0, X(50), Y(50));
  EXPECT_FALSE(chart->PanState().Active);
}

TEST_F(Pan, UndoAfterAPanBringsBackTheAutomaticAxesWithTheNewestPoints) {
  Drag(mbRight, X(100), Y(50), X(200), Y(50));
  Turn();
  ASSERT_LT(chart->BottomAxis().Maximum(), kPoints - 1.0);
  for (int i = kPoints; i < kPoints + 10; ++i) AddReading(i);
  Turn();
  EXPECT_LT(chart->BottomAxis().Maximum(), kPoints - 1.0) << "the pan holds while points arrive";
  LeftDragBy(-30, -30);
  Turn();
  EXPECT_TRUE(chart->BottomAxis().Automatic());
  EXPECT_EQ(chart->BottomAxis().Maximum(), kPoints + 9.0);
  EXPECT_EQ(chart->LeftAxis().Maximum(), 10.0 * (kPoints + 9));
}

TEST_F(Pan, AZoomAfterAPanKeepsTheAxesOfBeforeThePan) {
  Drag(mbRight, X(100), Y(50), X(140), Y(70));
  Turn();
  LeftDragBy(40, 40);
  LeftDragBy(-40, -40);
  Turn();
  EXPECT_EQ(chart->BottomAxis().Minimum(), 0.0);
  EXPECT_EQ(chart->BottomAxis().Maximum(), kPoints - 1.0);
}

TEST_F(Pan, NoPanningModeStartsNoPan) {
  chart->SetAllowPanning(pmNone);
  chart->SetAllowZoom(false);
  Mouse().MouseDown(mbRight, 0, X(100), Y(50));
  EXPECT_FALSE(chart->PanState().Active);
  Mouse().MouseDown(mbLeft, 0, X(100), Y(50));
  EXPECT_FALSE(chart->ZoomState().Active);
}

}  // namespace
}  // namespace kolva::chart
