// SPDX-License-Identifier: MIT
#include "chart/axis_layout.h"

#include <algorithm>
#include <optional>

#include "chart/axis_scale.h"
#include "chart/canvas.h"

namespace kolva::chart {

int ShrinkSide(TRect& rect, AxisSide side, int size) {
  switch (side) {
    case AxisSide::kLeft:
      return rect.Left += size;
    case AxisSide::kTop:
      return rect.Top += size;
    case AxisSide::kRight:
      return rect.Right -= size;
    case AxisSide::kBottom:
      return rect.Bottom -= size;
    case AxisSide::kDepth:
      break;
  }
  return 0;
}

int TickBandSize(const TickBand& band) {
  int size = (band.axisVisible ? band.axisWidth : 0) + (band.ticksVisible ? band.tickLength : 0);
  if (band.minorTicksVisible) size = std::max(size, band.minorTickLength);
  return size + band.wallSize;
}

int AxisLineOf(const TRect& chartRect, AxisSide side) {
  switch (side) {
    case AxisSide::kLeft:
      return chartRect.Left;
    case AxisSide::kTop:
      return chartRect.Top;
    case AxisSide::kRight:
      return chartRect.Right;
    case AxisSide::kBottom:
      return chartRect.Bottom;
    case AxisSide::kDepth:
      break;
  }
  return 0;
}

AxisMapping MappingOf(AxisSide side, const TAxisLayout& axis, const TRect& chartRect) {
  AxisMapping m{axis.rangeMin,    axis.rangeMax, axis.rangeSpan, chartRect.Top,
                chartRect.Bottom, false,         axis.inverted};
  if (side == AxisSide::kTop || side == AxisSide::kBottom) {
    m.low = chartRect.Left;
    m.high = chartRect.Right;
    m.horizontal = true;
  }
  return m;
}

AxisMark AxisTextMark(AxisSide side, int along, int edge, int fontHeight, std::string text) {
  AxisMark mark{AxisMarkKind::kLabel, along, edge, 0, 0, kTextAlignCenter | kTextAlignTop,
                std::move(text)};
  switch (side) {
    case AxisSide::kTop:
      mark.align = kTextAlignCenter | kTextAlignBottom;
      break;
    case AxisSide::kLeft:
    case AxisSide::kRight:
      mark.x0 = edge;
      mark.y0 = along - fontHeight / 2;
      mark.align = (side == AxisSide::kLeft ? kTextAlignRight : kTextAlignLeft) | kTextAlignTop;
      break;
    case AxisSide::kBottom:
    case AxisSide::kDepth:
      break;
  }
  return mark;
}

namespace {

bool IsHorizontal(AxisSide side) {
  return side == AxisSide::kTop || side == AxisSide::kBottom;
}

// A segment across the axis at `at`, from `from` pixels to `to` pixels off
// the axis line; positive offsets point away from the plot.
AxisMark Across(AxisMarkKind kind, AxisSide side, int linePos, int at, int from, int to) {
  // Bottom and right axes lie at the high edge: away from the plot is +.
  const int sign = (side == AxisSide::kBottom || side == AxisSide::kRight) ? 1 : -1;
  const int a = linePos + sign * from;
  const int b = linePos + sign * to;
  if (IsHorizontal(side)) return AxisMark{kind, at, a, at, b, 0, {}};
  return AxisMark{kind, a, at, b, at, 0, {}};
}

class MarkBuilder {
 public:
  MarkBuilder(AxisSide side, const AxisMarkStyle& style) : side_(side), style_(style) {}

  void Ticks(const AxisLabel& label) {
    const int p = label.pixel;
    const int pos = style_.axisLinePos;
    if (style_.ticks) Outer(AxisMarkKind::kTick, p, style_.tickLength);
    if (style_.grid && label.value != style_.rangeMax && label.value != style_.rangeMin) {
      if (!style_.gridCentered) {
        Grid(p);
      } else if (previous_) {
        Grid(RoundToInt((static_cast<long double>(p) + *previous_) * 0.5L));
      }
    }
    if (style_.innerTicks && style_.innerTickLength != 0) {
      marks_.push_back(
          Across(AxisMarkKind::kInnerTick, side_, pos, p, -1, -1 - style_.innerTickLength));
    }
    if (style_.minorTicks && previous_) {
      const long double gap = static_cast<long double>(p) - *previous_;
      for (int i = 1; i <= style_.minorTickCount; ++i) {
        const int m = p - RoundToInt(gap / (style_.minorTickCount + 1) * i);
        Outer(AxisMarkKind::kMinorTick, m, style_.minorTickLength);
      }
    }
    previous_ = p;
  }

  void Text(const AxisLabel& label) {
    if (label.text.empty()) return;
    marks_.push_back(
        AxisTextMark(side_, label.pixel, style_.labelsPos, style_.fontHeight, label.text));
  }

  std::vector<AxisMark> Take() { return std::move(marks_); }

 private:
  // Outer ticks start one pixel off the line, past the wall on the bottom
  // and left sides.
  void Outer(AxisMarkKind kind, int at, int length) {
    const bool walled = side_ == AxisSide::kBottom || side_ == AxisSide::kLeft;
    const int start = 1 + (walled ? style_.wallSize : 0);
    marks_.push_back(Across(kind, side_, style_.axisLinePos, at, start, start + length));
  }

  // From one pixel inside the line across the plot to its far edge.
  void Grid(int at) {
    const TRect& r = style_.chartRect;
    const int pos = style_.axisLinePos;
    switch (side_) {
      case AxisSide::kBottom:
        marks_.push_back({AxisMarkKind::kGrid, at, pos - 1, at, r.Top, 0, {}});
        break;
      case AxisSide::kTop:
        marks_.push_back({AxisMarkKind::kGrid, at, pos + 1, at, r.Bottom, 0, {}});
        break;
      case AxisSide::kLeft:
        marks_.push_back({AxisMarkKind::kGrid, pos + 1, at, r.Right, at, 0, {}});
        break;
      case AxisSide::kRight:
        marks_.push_back({AxisMarkKind::kGrid, pos - 1, at, r.Left, at, 0, {}});
        break;
      case AxisSide::kDepth:
        break;
    }
  }

  AxisSide side_;
  const AxisMarkStyle& style_;
  std::optional<int> previous_;
  std::vector<AxisMark> marks_;
};

}  // namespace

std::vector<AxisMark> LayoutAxisMarks(AxisSide side, const AxisMarkStyle& style,
                                      std::span<const AxisLabel> labels) {
  MarkBuilder builder(side, style);
  for (const AxisLabel& label : labels) {
    if (!style.tickOnLabelsOnly) builder.Ticks(label);
    if (style.labels) {
      if (style.tickOnLabelsOnly) builder.Ticks(label);
      builder.Text(label);
    }
  }
  return builder.Take();
}

}  // namespace kolva::chart
