// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "chart/zoom_panning.h"

namespace kolva::chart {

class TCustomChart;
class TCustomChartAxis;
class TChartSeries;

enum TMouseButton : int { mbLeft, mbRight, mbMiddle };

// The keys and buttons held with a mouse event, as a set of these bits.
using TShiftState = unsigned;
inline constexpr TShiftState ssShift = 1u << 0;
inline constexpr TShiftState ssAlt = 1u << 1;
inline constexpr TShiftState ssCtrl = 1u << 2;
inline constexpr TShiftState ssLeft = 1u << 3;
inline constexpr TShiftState ssRight = 1u << 4;
inline constexpr TShiftState ssMiddle = 1u << 5;
inline constexpr TShiftState ssDouble = 1u << 6;

// Cursor ids of a chart or a series (the window system's standard shapes;
// the host maps them to its own). 0 is the host's default, the arrow.
inline constexpr int crDefault = 0;
inline constexpr int crNone = -1;
inline constexpr int crArrow = -2;
inline constexpr int crCross = -3;
inline constexpr int crIBeam = -4;
inline constexpr int crSizeNESW = -6;
inline constexpr int crSizeNS = -7;
inline constexpr int crSizeNWSE = -8;
inline constexpr int crSizeWE = -9;
inline constexpr int crUpArrow = -10;
inline constexpr int crHourGlass = -11;
inline constexpr int crNo = -18;
inline constexpr int crHelp = -20;
inline constexpr int crHandPoint = -21;
inline constexpr int crSizeAll = -22;

// Settings shared by every chart: the left button zooms, the right button
// pans, and neither needs a key held (a press counts when every key of the
// required set is held).
inline constexpr TMouseButton kZoomMouseButton = mbLeft;
inline constexpr TMouseButton kPanMouseButton = mbRight;
inline constexpr TShiftState kZoomShiftState = 0;
inline constexpr TShiftState kPanShiftState = 0;
// A press this close to an axis line (in pixels, exclusive) hits the axis.
inline constexpr int kAxisClickTolerance = 12;

enum TChartClickedPartStyle : int {
  hitNone,
  hitLegend,
  hitAxis,
  hitSeries,
  hitTitle,
  hitFoot,
  hitPlotArea
};

// What lies under a point of the chart, by the last paint's layout.
struct TChartClickedPart {
  TChartClickedPartStyle Part = hitNone;
  TChartSeries* ASeries = nullptr;
  int PointIndex = -1;
  TCustomChartAxis* AAxis = nullptr;
};

// The chart's mouse handling: presses start zoom and pan drags (or fire the
// click events), moves draw the zoom band or scroll the axes, releases zoom,
// undo or end the pan. Coordinates are those of the chart's client area.
//
// Between paints the zoom band is drawn in not-xor mode straight onto the
// chart's off-screen image, and the host is asked to show that image again
// (no repaint of the chart); a paint while the drag is active draws the band
// again as its last step, so the image always holds exactly one band.
class TChartMouse {
 public:
  explicit TChartMouse(TCustomChart& chart) : chart_(chart) {}

  TChartClickedPart ClickedPart(int x, int y) const;

  void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  void MouseMove(TShiftState shift, int x, int y);
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  // Starts a zoom or pan drag when the button and keys allow; answers
  // whether one started.
  bool StartDrag(TMouseButton button, TShiftState shift, int x, int y);

  TZoomPanningRecord& ZoomState() { return zoomState_; }
  TZoomPanningRecord& PanState() { return panState_; }

  // Set while a click event runs; an event that leaves it set has handled
  // the press, one that clears it lets the press go on to start a drag.
  bool ClickFlag() const { return clickFlag_; }
  void SetClickFlag(bool value) { clickFlag_ = value; }

  // The band from (X0, Y0) to (X1, Y1) on the chart's canvas as it stands,
  // in not-xor mode in the chart's colour (red on a white chart); drawing it
  // twice restores the pixels. The paint sequence calls it as its last step.
  void DrawZoomRectangle();

  // Asks the host to show the off-screen image again after the band was
  // drawn onto it between paints.
  void SetImageChangedRequest(std::function<void()> request) { imageChanged_ = std::move(request); }

 private:
  bool HitsAxis(const TCustomChartAxis& axis, int x, int y) const;
  bool HitsSeries(int x, int y, TChartClickedPart& part) const;
  bool FireClick(const std::function<void()>& event);
  bool ClickSeries(const TChartClickedPart& part, TMouseButton button, TShiftState shift, int x,
                   int y);
  void ChangeBand(const std::function<void()>& change);
  void PanTo(int x, int y);
  void MoveOverSeries(TShiftState shift, int x, int y);

  TCustomChart& chart_;
  TZoomPanningRecord zoomState_;
  TZoomPanningRecord panState_;
  bool clickFlag_ = false;
  std::function<void()> imageChanged_;
};

// The point of the series under (x, y) by the series' own hit test, -1 for
// none or for a series kind without one.
int SeriesPointAt(const TChartSeries& series, int x, int y);

}  // namespace kolva::chart
