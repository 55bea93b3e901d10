// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <functional>

#include "chart/axis_layout.h"

namespace kolva::chart {

class TCustomChart;
class TChartAxis;

// A left drag must move more than this many pixels both across and down
// (or up) before its release zooms or undoes.
inline constexpr int kZoomMinimumPixels = 16;
// Each animated zoom step covers this part of what is left to go.
inline constexpr double kAnimatedZoomFactor = 3.0;

// One mouse drag on the chart: where it started (X0, Y0), the latest mouse
// position (X1, Y1) and whether it is under way. Client coordinates.
struct TZoomPanningRecord {
  int X0 = 0;
  int Y0 = 0;
  int X1 = 0;
  int Y1 = 0;
  bool Active = false;

  void Activate(int x, int y) {
    X0 = X1 = x;
    Y0 = Y1 = y;
    Active = true;
  }
};

// What releasing a zoom drag does.
enum class ZoomDragEnd { kNothing, kZoom, kUndo };

// Nothing unless the drag moved more than kZoomMinimumPixels along both
// directions; then zoom when it went right and down, otherwise undo.
ZoomDragEnd ZoomDragOutcome(const TZoomPanningRecord& drag);

// One axis' range settings as they were before the first zoom or pan.
struct TSavedAxis {
  bool Automatic = false;
  bool AutomaticMinimum = false;
  bool AutomaticMaximum = false;
  double Minimum = 0.0;
  double Maximum = 0.0;
};

// The top, bottom, left and right axes, in that order.
using TSavedAxes = std::array<TSavedAxis, 4>;

// The band's edge values for each axis (either order per axis).
struct TZoomValues {
  double LeftA = 0.0;
  double LeftB = 0.0;
  double RightA = 0.0;
  double RightB = 0.0;
  double TopA = 0.0;
  double TopB = 0.0;
  double BottomA = 0.0;
  double BottomB = 0.0;
};

// Zoom, undo and scroll of one chart's axes. Every change goes through the
// axes' setters, so each one requests the chart's repaint; the axes the
// operator set stay manual (points added later do not rescale them) until
// UndoZoom restores the automatic settings saved before the first zoom or
// pan. Lives as long as the chart that owns it.
class TChartZoom {
 public:
  explicit TChartZoom(TCustomChart& chart) : chart_(chart) {}

  const TSavedAxes& SavedAxes() const { return savedAxes_; }
  bool AxesSaved() const { return axesSaved_; }
  bool Zoomed() const { return zoomed_; }

  // Copies the four axes into SavedAxes unless a copy is held already.
  void SaveAxes();
  // Zooms every axis to the band's edges, read with each axis' range and
  // line as the picture on screen has them.
  void ZoomToRect(TZoomPanningRecord band);
  void ZoomToValues(const TZoomValues& values);
  // Restores the saved axes (if any), fires OnUndoZoom and asks to repaint.
  void UndoZoom();
  // Shifts the axis' range so that the value under pixel `from` of the
  // picture on screen comes under pixel `to`; OnAllowScroll may change the
  // new ends or refuse.
  void ScrollAxis(TChartAxis& axis, int from, int to);

  // Paints the chart at once (one animated zoom step). Unset: the chart's
  // own Paint into its off-screen image.
  void SetRefreshRequest(std::function<void()> request) { refresh_ = std::move(request); }

 private:
  // The value at a pixel along the axis of that side on the picture on
  // screen.
  double ShownValue(AxisSide side, int pixel) const;
  void AnimateTowards(const TZoomValues& values);
  void Refresh();

  TCustomChart& chart_;
  TSavedAxes savedAxes_{};
  bool axesSaved_ = false;
  bool zoomed_ = false;
  std::function<void()> refresh_;
};

}  // namespace kolva::chart
