// SPDX-License-Identifier: MIT
#include "chart/zoom_panning.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "chart/custom_chart.h"

namespace kolva::chart {
namespace {

// The four axes in the order SavedAxes keeps them.
std::array<TChartAxis*, 4> SavedOrder(TCustomChart& chart) {
  return {&chart.TopAxis(), &chart.BottomAxis(), &chart.LeftAxis(), &chart.RightAxis()};
}

// One axis' target and the step towards it of an animated zoom.
void StepTowards(TChartAxis& axis, double a, double b) {
  const long double target0 = std::min(a, b);
  const long double target1 = std::max(a, b);
  const long double min = axis.Minimum();
  const long double max = axis.Maximum();
  axis.SetManualRange(static_cast<double>(min + (target0 - min) / kAnimatedZoomFactor),
                      static_cast<double>(max - (max - target1) / kAnimatedZoomFactor));
}

}  // namespace

ZoomDragEnd ZoomDragOutcome(const TZoomPanningRecord& drag) {
  if (std::abs(drag.X1 - drag.X0) <= kZoomMinimumPixels ||
      std::abs(drag.Y1 - drag.Y0) <= kZoomMinimumPixels)
    return ZoomDragEnd::kNothing;
  if (drag.X1 > drag.X0 && drag.Y1 > drag.Y0) return ZoomDragEnd::kZoom;
  return ZoomDragEnd::kUndo;
}

void TChartZoom::SaveAxes() {
  if (axesSaved_) return;
  std::array<TChartAxis*, 4> axes = SavedOrder(chart_);
  for (std::size_t i = 0; i < axes.size(); ++i) {
    const TChartAxis& axis = *axes[i];
    savedAxes_[i] = TSavedAxis{axis.Automatic(), axis.AutomaticMinimum(), axis.AutomaticMaximum(),
                               axis.Minimum(), axis.Maximum()};
  }
  axesSaved_ = true;
}

double TChartZoom::ShownValue(AxisSide side, int pixel) const {
  return PixelToValue(chart_.Layout().Mapping(side), pixel);
}

void TChartZoom::ZoomToRect(TZoomPanningRecord band) {
  if (band.X0 > band.X1) std::swap(band.X0, band.X1);
  if (band.Y0 > band.Y1) std::swap(band.Y0, band.Y1);
  TZoomValues v;
  v.LeftA = ShownValue(AxisSide::kLeft, band.Y1);
  v.LeftB = ShownValue(AxisSide::kLeft, band.Y0);
  v.RightA = ShownValue(AxisSide::kRight, band.Y1);
  v.RightB = ShownValue(AxisSide::kRight, band.Y0);
  v.TopA = ShownValue(AxisSide::kTop, band.X0);
  v.TopB = ShownValue(AxisSide::kTop, band.X1);
  v.BottomA = ShownValue(AxisSide::kBottom, band.X0);
  v.BottomB = ShownValue(AxisSide::kBottom, band.X1);
  ZoomToValues(v);
}

void TChartZoom::ZoomToValues(const TZoomValues& values) {
  SaveAxes();
  if (chart_.AnimatedZoom()) AnimateTowards(values);
  chart_.LeftAxis().SetManualRange(values.LeftA, values.LeftB);
  chart_.RightAxis().SetManualRange(values.RightA, values.RightB);
  chart_.TopAxis().SetManualRange(values.TopA, values.TopB);
  chart_.BottomAxis().SetManualRange(values.BottomA, values.BottomB);
  zoomed_ = true;
  if (chart_.OnZoom) chart_.OnZoom(chart_);
}

// Each step covers a third of what is left; the final SetManualRange of
// ZoomToValues lands exactly on the target.
void TChartZoom::AnimateTowards(const TZoomValues& values) {
  for (int step = 1; step < chart_.AnimatedZoomSteps(); ++step) {
    StepTowards(chart_.LeftAxis(), values.LeftA, values.LeftB);
    StepTowards(chart_.RightAxis(), values.RightA, values.RightB);
    StepTowards(chart_.TopAxis(), values.TopA, values.TopB);
    StepTowards(chart_.BottomAxis(), values.BottomA, values.BottomB);
    Refresh();
  }
}

void TChartZoom::Refresh() {
  if (refresh_) {
    refresh_();
  } else {
    chart_.Paint();
  }
}

// The flags go back through the setters in the order Automatic, minimum,
// maximum, so a saved automatic axis ends fully automatic and follows the
// data again from the next paint.
void TChartZoom::UndoZoom() {
  if (axesSaved_) {
    std::array<TChartAxis*, 4> axes = SavedOrder(chart_);
    for (std::size_t i = 0; i < axes.size(); ++i) {
      TChartAxis& axis = *axes[i];
      const TSavedAxis& saved = savedAxes_[i];
      axis.SetAutomatic(saved.Automatic);
      axis.SetAutomaticMinimum(saved.AutomaticMinimum);
      axis.SetAutomaticMaximum(saved.AutomaticMaximum);
      if (!saved.Automatic) axis.SetManualRange(saved.Maximum, saved.Minimum);
    }
    axesSaved_ = false;
  }
  if (chart_.OnUndoZoom) chart_.OnUndoZoom(chart_);
  chart_.Invalidate();
  zoomed_ = false;
}

void TChartZoom::ScrollAxis(TChartAxis& axis, int from, int to) {
  const double d = static_cast<double>(static_cast<long double>(ShownValue(axis.Side(), from)) -
                                       ShownValue(axis.Side(), to));
  double newMin = static_cast<double>(static_cast<long double>(axis.Minimum()) + d);
  double newMax = static_cast<double>(static_cast<long double>(axis.Maximum()) + d);
  bool allow = true;
  if (chart_.OnAllowScroll) chart_.OnAllowScroll(axis, newMin, newMax, allow);
  if (allow) axis.SetManualRange(newMin, newMax);
}

}  // namespace kolva::chart
