// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "chart/custom_series.h"

namespace kolva::chart {

// A series drawn as a polyline through its points in x order, each segment
// in the colour of the point it ends at; the pointer is hidden. Its line
// keeps the first point at or past the right edge in the visible range, so
// the line reaches the edge.
class TLineSeries : public TCustomSeries {
 public:
  explicit TLineSeries(std::string name = {});

  // Copies the other series' settings that a line keeps (colours, pens,
  // pointer, stairs, axes, formats, title) but not its points, then forces
  // the line shape: pointer hidden, no area, lines drawn.
  void Assign(const TCustomSeries& other);
};

}  // namespace kolva::chart
