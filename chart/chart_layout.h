// SPDX-License-Identifier: MIT
#pragma once

#include <array>

#include "chart/axis_layout.h"
#include "chart/chart_title.h"
#include "chart/geometry.h"
#include "chart/legend_layout.h"

namespace kolva::chart {

class TCustomChart;
class TextMetrics;

// Everything one paint of a chart decides before it draws: the picture's
// bounds, the plot rectangle, the title, foot and legend, and each axis'
// range, bands and line. Computed from the chart's state, its size and text
// measures alone; the paint draws from it, and the mouse handling reads the
// one the picture on screen was drawn from.
struct TChartLayout {
  TRect chartBounds;  // the whole picture
  TRect chartRect;    // the plot, after the legend, titles and axes took theirs
  int chartWidth = 0;
  int chartHeight = 0;
  int chartXCenter = 0;
  int chartYCenter = 0;
  TTitleLayout title;
  TTitleLayout foot;
  TLegendLayout legend;
  // Indexed by AxisIndex: left, right, top, bottom, depth.
  std::array<TAxisLayout, 5> axes{};

  const TAxisLayout& Axis(AxisSide side) const { return axes[AxisIndex(side)]; }
  TAxisLayout& Axis(AxisSide side) { return axes[AxisIndex(side)]; }
  // The axis' working range against the plot.
  AxisMapping Mapping(AxisSide side) const { return MappingOf(side, Axis(side), chartRect); }
  static constexpr std::size_t AxisIndex(AxisSide side) {
    switch (side) {
      case AxisSide::kLeft:
        return 0;
      case AxisSide::kRight:
        return 1;
      case AxisSide::kTop:
        return 2;
      case AxisSide::kBottom:
        return 3;
      case AxisSide::kDepth:
        break;
    }
    return 4;
  }
};

// Repairs an empty or inverted plot rectangle: its left and top not outside
// `bounds`, a right edge left of the left one at left + 1 and one equal to
// it at left + the control's width (the same for bottom with the height).
TRect RepairChartRect(TRect chartRect, const TRect& bounds, int controlWidth, int controlHeight);

// The chart's layout for a picture of `chartBounds`, in the order the paint
// sequence decides it: the margins, the legend (first when at a side), the
// title and foot (and a legend at the top or bottom after them), the axes'
// ranges and bands (left, right, top, bottom), the series' margins, and the
// axes' lines and label steps. Measures texts with `metrics` only; the chart
// is not changed (its events for legend and axis texts may run).
TChartLayout ComputeLayout(TCustomChart& chart, const TRect& chartBounds, TextMetrics& metrics);

// The layout of the chart's whole client area, from (0, 0).
TChartLayout ComputeLayout(TCustomChart& chart, TextMetrics& metrics);

}  // namespace kolva::chart
