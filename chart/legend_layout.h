// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "chart/geometry.h"

namespace kolva::chart {

enum TLegendAlignment : int { laLeft, laRight, laTop, laBottom };

// What the legend's geometry depends on, taken at the start of its drawing.
struct LegendLayoutInput {
  TLegendAlignment alignment = laRight;
  TRect chartBounds;
  TRect chartRect;
  int topPos = 10;      // percent
  int colorWidth = 12;  // percent
  int shadowSize = 3;   // pixels
  bool framed = true;   // Frame.Visible
  int frameWidth = 1;   // Frame.Width, counted even when hidden
  int fontHeight = 0;   // H, the canvas' FontHeight in the legend font
  int itemCount = 0;    // LegendItemCount
  // MaxLegendTextWidth(n): the widest of the first n item texts, n = -1
  // for all of them.
  std::function<int(int)> maxTextWidth;
};

// Where the legend box and its items go. `rect` is LegendRect (the box
// without its frame); items are drawn while `items` is 1 or more.
struct LegendGeometry {
  TRect rect;
  int textX = 0;
  int symbolX = 0;
  int colorBoxWidth = 0;
  int itemWidth = 0;
  int rows = 0;
  int columns = 0;
  int items = 0;
  bool vertical = true;
};

// One item of the legend as one paint draws it.
struct TLegendRow {
  int index = 0;     // the item (FirstValue counted in)
  int position = 0;  // p: its distance from the first item drawn
  TPoint at;         // the top-left of its text
  TRect symbol;      // its symbol's rectangle
  std::string text;  // empty: neither text nor symbol is drawn
  friend bool operator==(const TLegendRow&, const TLegendRow&) = default;
};

// Where the legend goes in one paint.
struct TLegendLayout {
  bool shown = false;  // visible with an active series: laid out (and drawn with items)
  LegendGeometry geometry;
  TRect rect;  // LegendRect: the box without its frame
  int fontHeight = 0;
  std::vector<TLegendRow> rows;
};

bool IsVerticalLegend(TLegendAlignment alignment);

// How many rows (vertical legend) or columns (horizontal legend) of `size`
// pixels fit from `pos` to the end of the plot, less the frame on both
// sides; never more than `itemCount` and never below 0.
int LegendRowsThatFit(bool vertical, const TRect& chartRect, int frameWidth, int itemCount, int pos,
                      int size);

LegendGeometry LegendGeometryOf(const LegendLayoutInput& in);

// The top-left of item text p (counted from the first item drawn) and its
// symbol rectangle.
TPoint LegendItemOrigin(const LegendGeometry& g, int fontHeight, int p);
TRect LegendSymbolRect(const LegendGeometry& g, int fontHeight, TPoint origin);

// The box drawn around LegendRect (enlarged by the frame when framed) and
// the shadow filled behind it (empty when shadowSize <= 0).
TRect LegendBoxOf(const TRect& legendRect, bool framed, int frameWidth);
TRect LegendShadowOf(const TRect& legendRect, int shadowSize, bool framed, int frameWidth);

// ChartRect after the legend took its strip (when `resizeChart`) and the
// gap to the plot: `horizMargin` / `vertMargin`, or 3 % of the width / 4 %
// of the height of the plot before the legend when they are 0.
TRect ChartRectAfterLegend(TLegendAlignment alignment, const TRect& chartRect,
                           const TRect& legendRect, bool resizeChart, int shadowSize,
                           int horizMargin, int vertMargin);

}  // namespace kolva::chart
