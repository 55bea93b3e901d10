// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "chart/axis.h"
#include "chart/number_format.h"
#include "recording_canvas.h"

namespace kolva::chart::testing {

// A chart as its axes see it: a fixed plotting rectangle, the series extents
// per axis side, a recording canvas with fixed text metrics, and counters for
// the repaint requests, and the formatter the test gives it.
class FakeAxisHost : public AxisHost {
 public:
  std::map<AxisSide, std::vector<AxisSeriesExtent>> series;
  TRect chartRect{10, 20, 410, 320};
  RecordingCanvas canvas;
  int invalidations = 0;
  bool loading = false;
  TColor panelColor = clTeal;
  int wallSize = 0;
  std::function<void(std::string&)> onGetAxisLabel;
  PatternFormatter formatter;

  std::vector<AxisSeriesExtent> SeriesOnAxis(const TCustomChartAxis& axis) const override {
    auto it = series.find(axis.Side());
    return it == series.end() ? std::vector<AxisSeriesExtent>{} : it->second;
  }
  TRect ChartRect() const override { return chartRect; }
  TCanvas3D& Canvas() override { return canvas; }
  void Invalidate() override { ++invalidations; }
  bool Loading() const override { return loading; }
  TColor PanelColor() const override { return panelColor; }
  int WallSize(const TCustomChartAxis&) const override { return wallSize; }
  void GetAxisLabel(const TCustomChartAxis&, std::string& labelText) override {
    if (onGetAxisLabel) onGetAxisLabel(labelText);
  }
  const PatternFormatter& ValueFormatter() const override { return formatter; }
};

}  // namespace kolva::chart::testing
