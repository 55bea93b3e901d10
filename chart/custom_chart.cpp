// SPDX-License-Identifier: MIT
#include "chart/custom_chart.h"

#include <charconv>

namespace kolva::chart {

TCustomChart::TCustomChart(std::unique_ptr<TChartCanvas3D> canvas)
    : TCustomAxisPanel(std::move(canvas)) {
  title_ = std::make_unique<TChartTitle>(*this);
  foot_ = std::make_unique<TChartTitle>(*this);
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

void TCustomChart::InternalDraw(const TRect& bounds) {
  PaintPanel(bounds);
  for (TChartSeries* s : SeriesList())
    if (s->Active()) s->DoBeforeDrawChart();
  DrawTitlesAndLegend();
  for (TChartSeries* s : SeriesList()) s->SetZOrder(0);
  CalcAxesRect();
  CalcAxisPositions();
  DrawWalls();
  DrawAxes();
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

void TCustomChart::DrawTitlesAndLegend() {
  bool legendShown = legend_->Visible() && CountActiveSeries() > 0;
  if (legendShown && legend_->Vertical()) DrawLegend();
  if (title_->Visible()) DrawTitle(*title_, true);
  if (foot_->Visible()) DrawTitle(*foot_, false);
  if (legendShown && !legend_->Vertical()) DrawLegend();
}

void TCustomChart::DrawLegend() {
  legend_->DrawLegend();
}

void TCustomChart::DrawTitle(TChartTitle& title, bool atTop) {
  title.Draw(ChartCanvas(), ChartRect, atTop);
  RecalcWidthHeight();
}

void TCustomChart::DrawWalls() {
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
    canvas.Rectangle(ChartRect.Left, ChartRect.Top, ChartRect.Right + 1, ChartRect.Bottom);
}

}  // namespace kolva::chart
