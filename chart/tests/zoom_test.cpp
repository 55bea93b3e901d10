// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "zoom_fixture_fake.h"

namespace kolva::chart {
namespace {

using Zoom = testing::ZoomFixture;

// --- Which releases zoom, undo or do nothing ---------------------------------

struct DragCase {
  int dx;
  int dy;
  ZoomDragEnd expected;
};

TEST(ZoomDragOutcome, NeedsMoreThanSixteenPixelsBothWaysAndRightDownToZoom) {
  const std::vector<DragCase> cases = {
      {0, 0, ZoomDragEnd::kNothing},    {100, 10, ZoomDragEnd::kNothing},
      {10, 100, ZoomDragEnd::kNothing}, {16, 17, ZoomDragEnd::kNothing},
      {17, 16, ZoomDragEnd::kNothing},  {-16, -100, ZoomDragEnd::kNothing},
      {17, 17, ZoomDragEnd::kZoom},     {300, 200, ZoomDragEnd::kZoom},
      {17, -17, ZoomDragEnd::kUndo},    {-17, 17, ZoomDragEnd::kUndo},
      {-17, -17, ZoomDragEnd::kUndo},   {-200, -30, ZoomDragEnd::kUndo},
  };
  for (const DragCase& c : cases) {
    TZoomPanningRecord drag;
    drag.Activate(50, 60);
    drag.X1 += c.dx;
    drag.Y1 += c.dy;
    EXPECT_EQ(ZoomDragOutcome(drag), c.expected) << c.dx << ", " << c.dy;
  }
}

// --- Drags that change nothing -------------------------------------------------

TEST_F(Zoom, ClickWithoutMovingDrawsAndErasesTheBandOnlyAndRequestsNoRepaint) {
  const int before = requests;
  canvas->Clear();
  Mouse().MouseDown(mbLeft, 0, X(100), Y(80));
  EXPECT_TRUE(chart->ZoomState().Active);
  Mouse().MouseUp(mbLeft, 0, X(100), Y(80));
  EXPECT_FALSE(chart->ZoomState().Active);
  EXPECT_EQ(requests, before);
  EXPECT_FALSE(chart->RepaintPending());
  EXPECT_TRUE(chart->LeftAxis().Automatic());
  EXPECT_TRUE(chart->BottomAxis().Automatic());
  EXPECT_FALSE(chart->Zooming().AxesSaved());
  auto bands = canvas->OpsOf("Rectangle");
  ASSERT_EQ(bands.size(), 2u) << "drawn at the press, erased at the release";
  for (const auto* band : bands) {
    EXPECT_TRUE(band->toBuffer) << "drawn onto the off-screen image";
    EXPECT_EQ(band->pen.Mode(), pmNotXor);
    EXPECT_EQ(band->args, (std::vector<int>{X(100), Y(80), X(100), Y(80)}));
  }
}

TEST_F(Zoom, DragsOfSixteenPixelsOrLessInEitherDirectionChangeNothing) {
  const std::array<std::array<int, 2>, 4> drags = {{{100, 10}, {16, 16}, {16, 40}, {-40, -16}}};
  for (const auto& d : drags) {
    const int before = requests;
    LeftDragBy(d[0], d[1]);
    EXPECT_EQ(requests, before) << d[0] << ", " << d[1];
    EXPECT_TRUE(chart->LeftAxis().Automatic());
    EXPECT_TRUE(chart->BottomAxis().Automatic());
    EXPECT_FALSE(chart->Zooming().Zoomed());
  }
}

// --- Zoom -------------------------------------------------------------------------

TEST_F(Zoom, DragRightAndDownZoomsEveryAxisToTheBandEdges) {
  const double left = chart->BottomAxis().PixelToValue(X(150));
  const double right = chart->BottomAxis().PixelToValue(X(167));
  const double top = chart->LeftAxis().PixelToValue(Y(100));
  const double bottom = chart->LeftAxis().PixelToValue(Y(117));
  const double oldMax = chart->LeftAxis().Maximum();
  int zooms = 0;
  chart->OnZoom = [&](TCustomChart&) { ++zooms; };
  LeftDragBy(17, 17);
  EXPECT_EQ(zooms, 1);
  EXPECT_TRUE(chart->Zooming().Zoomed());
  EXPECT_TRUE(chart->RepaintPending());
  TChartAxis& x = chart->BottomAxis();
  TChartAxis& y = chart->LeftAxis();
  EXPECT_FALSE(x.Automatic());
  EXPECT_FALSE(y.AutomaticMinimum());
  EXPECT_DOUBLE_EQ(x.Minimum(), left);
  EXPECT_DOUBLE_EQ(x.Maximum(), right);
  EXPECT_DOUBLE_EQ(y.Minimum(), bottom);
  EXPECT_DOUBLE_EQ(y.Maximum(), top);
  EXPECT_LT(left, right);
  EXPECT_LT(bottom, top);
  ASSERT_TRUE(chart->Zooming().AxesSaved());
  const TSavedAxis& saved = chart->Zooming().SavedAxes()[2];
  EXPECT_TRUE(saved.Automatic && saved.AutomaticMinimum && saved.AutomaticMaximum);
  EXPECT_DOUBLE_EQ(saved.Maximum, oldMax);
}

TEST_F(Zoom, ABandDraggedBeyondThePlotZoomsPartlyOut) {
  const double beyond = chart->BottomAxis().PixelToValue(chart->ChartRect.Right + 40);
  Drag(mbLeft, X(20), Y(20), chart->ChartRect.Right + 40, Y(80));
  EXPECT_DOUBLE_EQ(chart->BottomAxis().Maximum(), beyond);
  EXPECT_GT(beyond, kPoints - 1.0);
}

TEST_F(Zoom, AxesStayWhereTheOperatorPutThemWhilePointsArrive) {
  LeftDragBy(60, 40);
  Turn();
  const double min = chart->BottomAxis().Minimum();
  const double max = chart->BottomAxis().Maximum();
  for (int i = kPoints; i < kPoints + 20; ++i) AddReading(i);
  Turn();
  EXPECT_EQ(chart->BottomAxis().Minimum(), min);
  EXPECT_EQ(chart->BottomAxis().Maximum(), max);
}

TEST_F(Zoom, AnimatedZoomTakesAThirdOfTheWayPerStepAndEndsOnTheBand) {
  chart->SetAnimatedZoom(true);
  chart->SetAnimatedZoomSteps(4);
  const double start = chart->BottomAxis().Minimum();
  const double target = chart->BottomAxis().PixelToValue(X(100));
  std::vector<double> seen;
  chart->Zooming().SetRefreshRequest([&] { seen.push_back(chart->BottomAxis().Minimum()); });
  Drag(mbLeft, X(100), Y(50), X(200), Y(150));
  ASSERT_EQ(seen.size(), 3u) << "steps - 1 refreshes";
  EXPECT_DOUBLE_EQ(seen[0], start + (target - start) / 3.0);
  EXPECT_DOUBLE_EQ(seen[1], seen[0] + (target - seen[0]) / 3.0);
  EXPECT_DOUBLE_EQ(chart->BottomAxis().Minimum(), target);
}

// --- Undo --------------------------------------------------------------------------

TEST_F(Zoom, DragsUpOrLeftUndoAZoom) {
  const std::array<std::array<int, 2>, 3> undos = {{{30, -30}, {-30, 30}, {-30, -30}}};
  for (const auto& d : undos) {
    LeftDragBy(40, 40);
    ASSERT_FALSE(chart->LeftAxis().Automatic());
    LeftDragBy(d[0], d[1]);
    EXPECT_TRUE(chart->LeftAxis().Automatic()) << d[0] << ", " << d[1];
    EXPECT_TRUE(chart->BottomAxis().AutomaticMaximum());
    EXPECT_TRUE(chart->TopAxis().AutomaticMinimum());
    EXPECT_FALSE(chart->Zooming().AxesSaved());
    EXPECT_FALSE(chart->Zooming().Zoomed());
    Turn();
  }
}

TEST_F(Zoom, UndoWithNothingSavedOnlyRepaintsAndFiresItsEvent) {
  int undos = 0;
  chart->OnUndoZoom = [&](TCustomChart&) { ++undos; };
  const double max = chart->LeftAxis().Maximum();
  LeftDragBy(-40, -40);
  EXPECT_EQ(undos, 1);
  EXPECT_TRUE(chart->RepaintPending());
  EXPECT_TRUE(chart->LeftAxis().Automatic());
  EXPECT_EQ(chart->LeftAxis().Maximum(), max);
}

TEST_F(Zoom, OneUndoAfterTwoZoomsReturnsToTheAxesOfBeforeTheFirst) {
  LeftDragBy(100, 80);
  Turn();
  LeftDragBy(40, 40);
  Turn();
  ASSERT_LT(chart->BottomAxis().Maximum() - chart->BottomAxis().Minimum(), 20.0);
  LeftDragBy(-40, -40);
  Turn();
  EXPECT_TRUE(chart->BottomAxis().Automatic());
  EXPECT_EQ(chart->BottomAxis().Minimum(), 0.0);
  EXPECT_EQ(chart->BottomAxis().Maximum(), kPoints - 1.0);
  EXPECT_EQ(chart->LeftAxis().Minimum(), -5.0 * (kPoints - 1));
  EXPECT_EQ(chart->LeftAxis().Maximum(), 10.0 * (kPoints - 1));
}

TEST_F(Zoom, UndoRestoresAManualAxisThroughItsSetters) {
  chart->LeftAxis().SetManualRange(-100, 100);
  Turn();
  LeftDragBy(40, 40);
  LeftDragBy(-40, -40);
  EXPECT_FALSE(chart->LeftAxis().Automatic());
  EXPECT_EQ(chart->LeftAxis().Minimum(), -100.0);
  EXPECT_EQ(chart->LeftAxis().Maximum(), 100.0);
  EXPECT_TRUE(chart->BottomAxis().Automatic());
}

}  // namespace
}  // namespace kolva::chart
