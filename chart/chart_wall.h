// SPDX-License-Identifier: MIT
#pragma once

#include "chart/chart_brush.h"
#include "chart/chart_pen.h"
#include "chart/custom_chart_panel.h"
#include "chart/store_changed.h"

namespace kolva::chart {

// One wall of the chart's box. Only the back wall is drawn in flat mode.
class TChartWall {
 public:
  explicit TChartWall(TCustomChartPanel& chart) : chart_(chart) {
    brush_.OnChange.Set([this] { chart_.Invalidate(); });
    pen_.OnChange.Set([this] { chart_.Invalidate(); });
  }
  TChartWall(const TChartWall&) = delete;
  TChartWall& operator=(const TChartWall&) = delete;

  TBrush& Brush() { return brush_; }
  const TBrush& Brush() const { return brush_; }
  TChartPen& Pen() { return pen_; }
  const TChartPen& Pen() const { return pen_; }
  TColor Color() const { return color_; }
  void SetColor(TColor value) { Store(color_, value); }
  int Size() const { return size_; }
  void SetSize(int value) { Store(size_, value); }

 private:
  template <typename T>
  void Store(T& field, const T& value) {
    if (StoreChanged(field, value)) chart_.Invalidate();
  }

  TCustomChartPanel& chart_;
  TBrush brush_;
  TColor color_ = clAutoColor;
  TChartPen pen_;
  int size_ = 0;
};

enum TGradientDirection : int { gdTopBottom, gdBottomTop, gdLeftRight, gdRightLeft };

// The panel's gradient fill; stored, never drawn in this engine.
class TChartGradient {
 public:
  explicit TChartGradient(TCustomChartPanel& chart) : chart_(chart) {}
  TChartGradient(const TChartGradient&) = delete;
  TChartGradient& operator=(const TChartGradient&) = delete;

  TGradientDirection Direction() const { return direction_; }
  void SetDirection(TGradientDirection value) { Store(direction_, value); }
  TColor StartColor() const { return startColor_; }
  void SetStartColor(TColor value) { Store(startColor_, value); }
  TColor EndColor() const { return endColor_; }
  void SetEndColor(TColor value) { Store(endColor_, value); }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { Store(visible_, value); }

 private:
  template <typename T>
  void Store(T& field, const T& value) {
    if (StoreChanged(field, value)) chart_.Invalidate();
  }

  TCustomChartPanel& chart_;
  TGradientDirection direction_ = gdTopBottom;
  TColor startColor_ = clWhite;
  TColor endColor_ = clYellow;
  bool visible_ = false;
};

}  // namespace kolva::chart
