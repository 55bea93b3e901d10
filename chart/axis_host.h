// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "chart/axis_scale.h"
#include "chart/color.h"
#include "chart/geometry.h"
#include "chart/number_format.h"

namespace kolva::chart {

class TCanvas3D;
class TCustomChartAxis;

// What an axis needs of the chart that owns it. The chart panel implements
// it; the axis keeps a reference for its whole life (the chart outlives its
// axes). Everything runs on the window thread during a paint, except the
// repaint request, which any property setter makes.
class AxisHost {
 public:
  virtual ~AxisHost() = default;

  // The active series drawn against `axis`, in series-list order: for a
  // horizontal axis the series whose horizontal axis it is, with their point
  // count and XMinimum/XMaximum; for a vertical axis those whose vertical
  // axis it is, with YMinimum/YMaximum. `textLabels` tells whether the series
  // carries non-empty point labels, `dateTime` whether the matching value
  // list holds date-time values. Empty for the depth axis in flat mode.
  virtual std::vector<AxisSeriesExtent> SeriesOnAxis(const TCustomChartAxis& axis) const = 0;

  // The plotting rectangle of the current paint.
  virtual TRect ChartRect() const = 0;

  // The canvas of the current paint: text extents and drawing.
  virtual TCanvas3D& Canvas() = 0;

  // The chart's repaint request (merged until the message loop runs).
  virtual void Invalidate() = 0;

  // True while the chart is read from its stored form: the range setters do
  // not check their ends against each other and Automatic is not coupled.
  virtual bool Loading() const = 0;

  // The chart panel's Color, the brush colour under axis texts.
  virtual TColor PanelColor() const = 0;

  // The wall thickness on the axis' side (0 in flat mode).
  virtual int WallSize(const TCustomChartAxis& axis) const = 0;

  // The chart's OnGetAxisLabel for a value label: no series, value index -1.
  // Leaves `labelText` as it is when the event is not assigned.
  virtual void GetAxisLabel(const TCustomChartAxis& axis, std::string& labelText) = 0;

  // The chart's value formatter, which makes the value labels' texts.
  virtual const PatternFormatter& ValueFormatter() const = 0;
};

}  // namespace kolva::chart
