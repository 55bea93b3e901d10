// SPDX-License-Identifier: MIT
#include "chart/custom_chart.h"

#include <charconv>

namespace kolva::chart {

TCustomChart::TCustomChart(std::unique_ptr<TChartCanvas3D> canvas)
    : TCustomAxisPanel(std::move(canvas)) {
  title_ = std::make_unique<TChartTitle>(*this, true);
  foot_ = std::make_unique<TChartTitle>(*this, false);
  gradient_ = std::make_unique<TChartGradient>(*this);
  backWall_ = std::make_unique<TChartWall>(*this);
  leftWall_ = std::make_unique<TChartWall>(*this);
  legend_ = std::make_unique<TChartLegend>(*this);
  bottomWall_ = std::make_unique<TChartWall>(*this);
  backWall_->Brush().SetStyle(bsClear);
  leftWall_->SetColor(0x80FFFFu);
  bottomWall_->SetColor(clWhite);
}

TCustomChart::~TCustomChart() {
  SetDestroying();
}

void TCustomChart::SetBackColor(TColor value) {
  backWall_->SetColor(value);
  backWall_->Brush().SetStyle(bsSolid);
}

TChartSeries* TCustomChart::LegendSeries(int n) const {
  for (TChartSeries* s : SeriesList()) {
    if (!s->Active() || !s->ShowInLegend()) continue;
    if (n-- == 0) return s;
  }
  return nullptr;
}

std::string TCustomChart::SeriesLegendTitle(int n) const {
  const TChartSeries* s = LegendSeries(n);
  if (s == nullptr) return {};
  if (!s->Title().empty()) return s->Title();
  if (!s->Name().empty()) return s->Name();
  char digits[16];
  auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
  return "Series " + std::string(digits, end);
}

// The series' before-drawing hooks run first: what they change is part of
// the picture they come before.
TChartLayout TCustomChart::LayOut(const TRect& bounds, TextMetrics& metrics) {
  for (TChartSeries* s : SeriesList())
    if (s->Active()) s->DoBeforeDrawChart();
  for (TChartSeries* s : SeriesList()) s->SetZOrder(0);
  return ComputeLayout(*this, bounds, metrics);
}

void TCustomChart::InternalDraw(const TChartLayout& layout) {
  TakeAxisLayout(layout);
  PaintPanel(layout.chartBounds);
  DrawTitlesAndLegend(layout);
  DrawWalls(layout.chartRect);
  DrawAxes(layout);
  for (TChartSeries* s : SeriesList())
    if (s->Active()) DrawSeries(*s);
  // The band of a zoom drag under way, over everything and unclipped, as
  // the mouse handling drew it between paints.
  if (mouse_.ZoomState().Active) {
    ChartCanvas().RemoveClip();
    mouse_.DrawZoomRectangle();
  }
  ChartCanvas().ResetAttributes();
  if (OnAfterDraw) OnAfterDraw(*this);
}

// In the order the layout was decided in: a legend at the side before the
// titles, one at the top or bottom after them.
void TCustomChart::DrawTitlesAndLegend(const TChartLayout& layout) {
  const bool vertical = layout.legend.geometry.vertical;
  if (layout.legend.shown && vertical) DrawLegend(layout.legend);
  if (layout.title.shown) title_->Draw(ChartCanvas(), layout.title);
  if (layout.foot.shown) foot_->Draw(ChartCanvas(), layout.foot);
  if (layout.legend.shown && !vertical) DrawLegend(layout.legend);
}

void TCustomChart::DrawLegend(const TLegendLayout& layout) {
  legend_->DrawLegend(layout);
}

void TCustomChart::DrawWalls(const TRect& chartRect) {
  TCanvas3D& canvas = ChartCanvas();
  const TChartWall& wall = *backWall_;
  canvas.UsePen(wall.Pen());
  if (wall.Color() == clAutoColor && wall.Brush().Style() == bsSolid) {
    canvas.Brush().SetStyle(bsClear);
  } else {
    canvas.Brush().SetColor(wall.Color());
    canvas.Brush().SetStyle(wall.Brush().Style());
    if (wall.Brush().Style() != bsSolid && wall.Brush().Style() != bsClear)
      canvas.SetBackgroundColor(wall.Brush().Color());
  }
  if (!View3D())
    canvas.Rectangle(chartRect.Left, chartRect.Top, chartRect.Right + 1, chartRect.Bottom);
}

}  // namespace kolva::chart
