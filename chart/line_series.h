// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "chart/chart_series.h"

namespace kolva::chart {

// A series drawn as a polyline through its points. Its line keeps the first
// point at or past the right edge in the visible range, so the line reaches
// the edge.
class TLineSeries : public TChartSeries {
 public:
  explicit TLineSeries(std::string name = {}) : TChartSeries(std::move(name)) {
    SetDrawBeyondEdge(true);
  }
};

}  // namespace kolva::chart
