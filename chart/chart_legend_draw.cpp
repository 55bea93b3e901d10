// SPDX-License-Identifier: MIT
// The legend's layout (box, rows and the strip it takes off the plot) and
// its drawing: shadow, box, items.
#include "chart/chart_legend.h"
#include "chart/custom_chart.h"
#include "chart/text_metrics.h"

namespace kolva::chart {

TLegendLayout TChartLegend::Layout(const TRect& chartBounds, TRect& chartRect,
                                   TextMetrics& metrics) const {
  TLegendLayout layout;
  layout.shown = true;
  layout.fontHeight = metrics.FontHeight(Font());

  LegendLayoutInput in;
  in.alignment = alignment_;
  in.chartBounds = chartBounds;
  in.chartRect = chartRect;
  in.topPos = topPos_;
  in.colorWidth = colorWidth_;
  in.shadowSize = shadowSize_;
  in.framed = frame_.Visible();
  in.frameWidth = frame_.Width();
  in.fontHeight = layout.fontHeight;
  in.itemCount = LegendItemCount();
  in.maxTextWidth = [&](int n) { return MaxLegendTextWidth(n, metrics); };
  layout.geometry = LegendGeometryOf(in);

  layout.rect = layout.geometry.rect;
  if (OnGetLegendRect) OnGetLegendRect(chart_, layout.rect);
  if (layout.geometry.items < 1) return layout;
  layout.rows = Rows(layout.geometry, layout.fontHeight);
  chartRect = ChartRectAfterLegend(alignment_, chartRect, layout.rect, resizeChart_, shadowSize_,
                                   horizMargin_, vertMargin_);
  return layout;
}

std::vector<TLegendRow> TChartLegend::Rows(const LegendGeometry& g, int fontHeight) const {
  std::vector<TLegendRow> rows;
  const int count = LegendItemCount();
  const int last = firstValue_ + g.items - 1;
  for (int p = 0; p < g.items && p < count; ++p) {
    TLegendRow row;
    row.index = inverted_ ? last - p : firstValue_ + p;
    row.position = p;
    row.at = LegendItemOrigin(g, fontHeight, p);
    int symbolX = g.symbolX;
    if (OnGetLegendPos) OnGetLegendPos(chart_, row.index, symbolX, row.at.Y, row.at.X);
    row.symbol = LegendSymbolRect(g, fontHeight, row.at);
    row.text = LegendItemText(row.index);
    rows.push_back(std::move(row));
  }
  return rows;
}

void TChartLegend::DrawLegend(const TLegendLayout& layout) {
  TCanvas3D& canvas = chart_.ChartCanvas();
  chart_.LegendColor = color_;
  canvas.Font().Assign(Font());
  if (layout.geometry.items < 1) return;
  DrawBox(layout.rect);
  for (const TLegendRow& row : layout.rows) DrawItem(layout, row);
}

void TChartLegend::DrawBox(const TRect& legendRect) {
  TCanvas3D& canvas = chart_.ChartCanvas();
  const bool framed = frame_.Visible();
  canvas.UsePen(frame_);
  if (framed && frame_.Color() == clAutoColor) canvas.Pen().SetColor(clBlack);
  if (shadowSize_ > 0) {
    canvas.Brush().SetColor(shadowColor_);
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(LegendShadowOf(legendRect, shadowSize_, framed, frame_.Width()));
  }
  canvas.Brush().SetColor(color_);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Rectangle(LegendBoxOf(legendRect, framed, frame_.Width()));
}

void TChartLegend::DrawItem(const TLegendLayout& layout, const TLegendRow& row) {
  TCanvas3D& canvas = chart_.ChartCanvas();
  if (!row.text.empty()) {
    canvas.SetBackgroundMode(kBackModeTransparent);
    canvas.SetTextAlign(kTextAlignLeft | kTextAlignTop);
    canvas.Font().Assign(Font());
    canvas.TextOut(row.at.X, row.at.Y, row.text);
    DrawSymbol(row.index, row.symbol);
  }
  if (row.position > 0 && dividingLines_.Visible()) {
    const TRect& r = layout.rect;
    canvas.UsePen(dividingLines_);
    canvas.SetBackgroundMode(kBackModeTransparent);
    if (layout.geometry.vertical)
      canvas.HorizontalSegment(r.Left, r.Right, row.at.Y);
    else
      canvas.VerticalSegment(row.at.X - 4 - layout.geometry.colorBoxWidth - 4, r.Top, r.Bottom);
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
