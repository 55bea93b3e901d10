// SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <string>
#include <vector>

#include "chart/axis_scale.h"
#include "chart/geometry.h"

namespace kolva::chart {

// Which edge of the plotting rectangle an axis runs along.
enum class AxisSide { kLeft, kTop, kRight, kBottom, kDepth };

// Moves the edge of `rect` on the axis' side inward by `size` pixels (the
// bottom edge up, the left edge right, ...) and answers the new edge. The
// depth axis has no edge: the rectangle stays and the answer is 0.
int ShrinkSide(TRect& rect, AxisSide side, int size);

// The width of the band between the axis line and the labels: the axis
// line's width and the outer tick length, at least the minor tick length,
// plus the wall on that side.
struct TickBand {
  bool axisVisible = true;
  int axisWidth = 2;
  bool ticksVisible = true;
  int tickLength = 4;
  bool minorTicksVisible = true;
  int minorTickLength = 2;
  int wallSize = 0;
};
int TickBandSize(const TickBand& band);

// The position of the axis line: the edge of ChartRect on the axis' side.
int AxisLineOf(const TRect& chartRect, AxisSide side);

// What one paint decides for an axis before anything is drawn: its range,
// the bands it takes off the plot and where its line, labels and title go.
struct TAxisLayout {
  bool shown = false;  // the chart shows it: it takes room and is drawn
  bool inverted = false;
  // Minimum and Maximum as the range recalculation fills them (automatic
  // ends from the series, the others as set).
  double minimum = 0.0;
  double maximum = 0.0;
  // The working range: the ends above, widened by the series' margins.
  double rangeMin = 0.0;
  double rangeMax = 0.0;
  double rangeSpan = 0.0;
  // The widths of the title, labels and tick bands (0: not taken), and the
  // inner edges of the title and labels bands.
  int titleSize = 0;
  int labelsSize = 0;
  int tickSize = 0;
  int titlePos = 0;
  int labelsPos = 0;
  int axisLinePos = 0;
  double labelStep = 0.0;  // the step of the value labels (shown axes)

  void SetRange(double min, double max) {
    rangeMin = min;
    rangeMax = max;
    rangeSpan = RangeSpanOf(min, max);
  }
  friend bool operator==(const TAxisLayout&, const TAxisLayout&) = default;
};

// The axis' working range against the plot rectangle.
AxisMapping MappingOf(AxisSide side, const TAxisLayout& axis, const TRect& chartRect);

// How an axis' ticks, grid lines and labels are laid out around its line.
struct AxisMarkStyle {
  TRect chartRect;
  int axisLinePos = 0;
  int labelsPos = 0;
  int fontHeight = 0;
  int wallSize = 0;
  double rangeMin = 0.0;
  double rangeMax = 0.0;
  bool ticks = true;
  int tickLength = 4;
  bool grid = true;
  bool gridCentered = false;
  bool innerTicks = true;
  int innerTickLength = 0;
  bool minorTicks = true;
  int minorTickLength = 2;
  int minorTickCount = 3;
  bool labels = true;
  bool tickOnLabelsOnly = true;
};

// One value label: the value, its pixel along the axis and its text.
struct AxisLabel {
  double value = 0.0;
  int pixel = 0;
  std::string text;
};

enum class AxisMarkKind { kTick, kGrid, kInnerTick, kMinorTick, kLabel };

// One thing to draw: a segment from (x0, y0) to (x1, y1), not covering the
// end point, or a label text at (x0, y0) with the canvas alignment flags.
struct AxisMark {
  AxisMarkKind kind = AxisMarkKind::kTick;
  int x0 = 0;
  int y0 = 0;
  int x1 = 0;
  int y1 = 0;
  unsigned align = 0;
  std::string text;
  friend bool operator==(const AxisMark&, const AxisMark&) = default;
};

// The marks of the labels, in drawing order: per label its outer tick, grid
// line (not at the range ends), inner tick and the minor ticks back to the
// previous tick, then its text. Ticks come with labels only when
// `tickOnLabelsOnly` is set; labels without text draw nothing.
std::vector<AxisMark> LayoutAxisMarks(AxisSide side, const AxisMarkStyle& style,
                                      std::span<const AxisLabel> labels);

// Where a text of the axis' labels band goes: at `along` on the axis (x for
// horizontal axes, y for vertical ones) and at `edge` across it.
AxisMark AxisTextMark(AxisSide side, int along, int edge, int fontHeight, std::string text);

}  // namespace kolva::chart
