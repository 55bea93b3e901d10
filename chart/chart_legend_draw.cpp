// SPDX-License-Identifier: MIT
// The legend's drawing: geometry first, then box, shadow, items, and the
// strip it takes off the plot.
#include "chart/chart_legend.h"
#include "chart/custom_chart.h"

namespace kolva::chart {

void TChartLegend::DrawLegend() {
  TCanvas3D& canvas = chart_.ChartCanvas();
  chart_.LegendColor = color_;
  canvas.Font().Assign(Font());
  const int fontHeight = canvas.FontHeight();

  LegendLayoutInput in;
  in.alignment = alignment_;
  in.chartBounds = chart_.ChartBounds;
  in.chartRect = chart_.ChartRect;
  in.topPos = topPos_;
  in.colorWidth = colorWidth_;
  in.shadowSize = shadowSize_;
  in.framed = frame_.Visible();
  in.frameWidth = frame_.Width();
  in.fontHeight = fontHeight;
  in.itemCount = LegendItemCount();
  in.maxTextWidth = [this](int n) { return MaxLegendTextWidth(n); };
  const LegendGeometry g = LegendGeometryOf(in);

  ColorBoxWidth = g.colorBoxWidth;
  LegendRect = g.rect;
  if (OnGetLegendRect) OnGetLegendRect(chart_, LegendRect);
  if (g.items < 1) return;

  DrawBox();
  DrawItems(g, fontHeight);
  chart_.ChartRect = ChartRectAfterLegend(alignment_, chart_.ChartRect, LegendRect, resizeChart_,
                                          shadowSize_, horizMargin_, vertMargin_);
  chart_.RecalcWidthHeight();
}

void TChartLegend::DrawBox() {
  TCanvas3D& canvas = chart_.ChartCanvas();
  const bool framed = frame_.Visible();
  canvas.UsePen(frame_);
  if (framed && frame_.Color() == clAutoColor) canvas.Pen().SetColor(clBlack);
  if (shadowSize_ > 0) {
    canvas.Brush().SetColor(shadowColor_);
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(LegendShadowOf(LegendRect, shadowSize_, framed, frame_.Width()));
  }
  canvas.Brush().SetColor(color_);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Rectangle(LegendBoxOf(LegendRect, framed, frame_.Width()));
}

void TChartLegend::DrawItems(const LegendGeometry& g, int fontHeight) {
  const int last = firstValue_ + g.items - 1;
  for (int p = 0; p < g.items; ++p) {
    const int index = inverted_ ? last - p : firstValue_ + p;
    DrawItem(g, fontHeight, index, p);
  }
}

void TChartLegend::DrawItem(const LegendGeometry& g, int fontHeight, int index, int p) {
  if (p >= LegendItemCount()) return;
  TCanvas3D& canvas = chart_.ChartCanvas();
  const TPoint origin = LegendItemOrigin(g, fontHeight, p);
  int symbolX = g.symbolX;
  int x = origin.X;
  int y = origin.Y;
  if (OnGetLegendPos) OnGetLegendPos(chart_, index, symbolX, y, x);
  const std::string text = LegendItemText(index);
  if (!text.empty()) {
    canvas.SetBackgroundMode(kBackModeTransparent);
    canvas.SetTextAlign(kTextAlignLeft | kTextAlignTop);
    canvas.Font().Assign(Font());
    canvas.TextOut(x, y, text);
    DrawSymbol(index, LegendSymbolRect(g, fontHeight, TPoint{x, y}));
  }
  if (p > 0 && dividingLines_.Visible()) {
    canvas.UsePen(dividingLines_);
    canvas.SetBackgroundMode(kBackModeTransparent);
    if (g.vertical)
      canvas.HorizontalSegment(LegendRect.Left, LegendRect.Right, y);
    else
      canvas.VerticalSegment(x - 4 - g.colorBoxWidth - 4, LegendRect.Top, LegendRect.Bottom);
  }
}

void TChartLegend::DrawSymbol(int index, const TRect& rect) {
  TCanvas3D& canvas = chart_.ChartCanvas();
  canvas.Pen().SetColor(color_ == clBlack ? clWhite : clBlack);
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetWidth(1);
  canvas.Pen().SetMode(pmCopy);
  canvas.SetBackgroundColor(chart_.LegendColor);
  TChartSeries* series = nullptr;
  int point = -1;
  if (EffectiveLegendStyle() == lsValues) {
    series = chart_.FirstActiveSeries();
    point = index;
  } else {
    series = ShownSeries(index);
  }
  if (series != nullptr) {
    series->LegendSymbol(point, rect);
    return;
  }
  canvas.Brush().SetColor(clWhite);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Rectangle(rect);
}

}  // namespace kolva::chart
