// SPDX-License-Identifier: MIT
#include "chart/legend_layout.h"

#include <algorithm>

#include "chart/axis_scale.h"
#include "chart/mul_div.h"

namespace kolva::chart {
namespace {

// Round(a * percent / 100), halves to even.
int Percent(int a, int percent) {
  return RoundToInt(static_cast<long double>(a) * percent / 100.0L);
}

// Rows and top/bottom of step 3, columns for a horizontal legend.
void VerticalExtent(const LegendLayoutInput& in, LegendGeometry& g) {
  const int fw = in.frameWidth;
  const int h = in.fontHeight;
  const int frameRoom = in.framed ? fw + 1 : 0;
  if (g.vertical) {
    const TRect& b = in.chartBounds;
    g.rect.Top = b.Top + Percent(b.Bottom - b.Top, in.topPos);
    g.columns = 1;
    g.rows = LegendRowsThatFit(true, in.chartRect, fw, in.itemCount, g.rect.Top, h);
    g.rect.Bottom = g.rect.Top + h * g.rows + 2;
    return;
  }
  g.columns = LegendRowsThatFit(false, in.chartRect, fw, in.itemCount, 8,
                                g.itemWidth + g.colorBoxWidth + 8);
  g.rows = g.columns > 0 ? 1 : 0;
  if (in.alignment == laTop) {
    g.rect.Top = in.chartRect.Top + frameRoom;
    g.rect.Bottom = g.rect.Top + h * g.rows + 2;
  } else {
    g.rect.Bottom = in.chartRect.Bottom - in.shadowSize - frameRoom;
    g.rect.Top = g.rect.Bottom - h * g.rows - 2;
  }
}

void HorizontalExtent(const LegendLayoutInput& in, LegendGeometry& g) {
  const int frameRoom = in.framed ? in.frameWidth + 1 : 0;
  if (g.vertical) {
    const int tw = in.maxTextWidth ? in.maxTextWidth(g.rows) : 0;
    g.colorBoxWidth = Percent(tw + 10, in.colorWidth);
    if (in.alignment == laRight) {
      g.rect.Right = in.chartRect.Right - frameRoom - in.shadowSize;
      g.textX = g.rect.Right - tw - 2;
      g.symbolX = g.textX - g.colorBoxWidth - 4;
      g.rect.Left = g.symbolX - 4;
    } else {
      g.rect.Left = in.chartRect.Left + frameRoom;
      g.symbolX = g.rect.Left + 4;
      g.textX = g.symbolX + g.colorBoxWidth + 4;
      g.rect.Right = g.textX + tw + 2;
    }
    g.items = g.rows;
    return;
  }
  const int chartWidth = in.chartRect.Right - in.chartRect.Left;
  const int xCenter = (in.chartRect.Left + in.chartRect.Right) / 2;
  const int width =
      std::min(chartWidth, 2 * in.shadowSize + (g.colorBoxWidth + g.itemWidth + 4) * g.columns + 8);
  const int shift = Percent(in.chartBounds.Right - in.chartBounds.Left - width, in.topPos);
  g.rect.Left = xCenter - width / 2 + shift;
  g.rect.Right = xCenter + width / 2 + shift;
  g.symbolX = g.rect.Left + 4;
  g.textX = g.rect.Left + g.colorBoxWidth + 8;
  g.items = g.columns * g.rows;
}

}  // namespace

bool IsVerticalLegend(TLegendAlignment alignment) {
  return alignment == laLeft || alignment == laRight;
}

int LegendRowsThatFit(bool vertical, const TRect& chartRect, int frameWidth, int itemCount, int pos,
                      int size) {
  const int end = vertical ? chartRect.Bottom : chartRect.Right;
  if (end <= pos || size <= 0) return 0;
  const int room = vertical ? chartRect.Bottom - 2 * frameWidth - pos
                            : chartRect.Right - chartRect.Left - 2 * frameWidth - pos;
  return std::max(0, std::min(room / size, itemCount));
}

LegendGeometry LegendGeometryOf(const LegendLayoutInput& in) {
  LegendGeometry g;
  g.vertical = IsVerticalLegend(in.alignment);
  g.itemWidth = (in.maxTextWidth ? in.maxTextWidth(-1) : 0) + 4;
  g.colorBoxWidth = Percent(g.itemWidth, in.colorWidth);
  VerticalExtent(in, g);
  HorizontalExtent(in, g);
  return g;
}

TPoint LegendItemOrigin(const LegendGeometry& g, int fontHeight, int p) {
  TPoint at{g.textX, g.rect.Top + 1};
  if (g.vertical) {
    at.Y += fontHeight * p;
  } else if (g.columns > 0) {
    at.X += (p % g.columns) * (g.itemWidth + g.colorBoxWidth + 4);
  }
  return at;
}

TRect LegendSymbolRect(const LegendGeometry& g, int fontHeight, TPoint origin) {
  return TRect{origin.X - 4 - g.colorBoxWidth, origin.Y + 2, origin.X - 4,
               origin.Y + fontHeight - 2};
}

TRect LegendBoxOf(const TRect& r, bool framed, int fw) {
  if (!framed) return r;
  return TRect{r.Left - fw, r.Top - fw, r.Right + fw, r.Bottom + fw};
}

TRect LegendShadowOf(const TRect& r, int shadowSize, bool framed, int fw) {
  if (shadowSize <= 0) return TRect{};
  const int e = framed ? shadowSize + fw + (fw - 1) / 2 : shadowSize - 1;
  return TRect{r.Left + shadowSize, r.Top + shadowSize, r.Right + e, r.Bottom + e};
}

TRect ChartRectAfterLegend(TLegendAlignment alignment, const TRect& chartRect,
                           const TRect& legendRect, bool resizeChart, int shadowSize,
                           int horizMargin, int vertMargin) {
  const int width = chartRect.Right - chartRect.Left;
  const int height = chartRect.Bottom - chartRect.Top;
  const int hGap = horizMargin != 0 ? horizMargin : MulDiv(3, width, 100);
  const int vGap = vertMargin != 0 ? vertMargin : MulDiv(4, height, 100);
  TRect r = chartRect;
  switch (alignment) {
    case laLeft:
      if (resizeChart) r.Left = legendRect.Right;
      r.Left += hGap;
      break;
    case laRight:
      if (resizeChart) r.Right = legendRect.Left;
      r.Right -= hGap;
      break;
    case laTop:
      if (resizeChart) r.Top = legendRect.Bottom + shadowSize;
      r.Top += vGap;
      break;
    case laBottom:
      if (resizeChart) r.Bottom = legendRect.Top;
      r.Bottom -= vGap;
      break;
  }
  return r;
}

}  // namespace kolva::chart
