// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "chart/chart_brush.h"
#include "chart/chart_pen.h"

namespace kolva::chart {

class TCanvas3D;

enum TSeriesPointerStyle : int {
  psRectangle,
  psCircle,
  psTriangle,
  psDownTriangle,
  psCross,
  psDiagCross,
  psStar,
  psDiamond,
  psSmallDot
};

// The marker drawn at each point of a series whose pointer is visible.
// Changes of any of its settings, its pen or its brush repaint the series.
class TSeriesPointer {
 public:
  explicit TSeriesPointer(std::function<void()> changed);

  bool Visible() const { return visible_; }
  void SetVisible(bool value) { Store(visible_, value); }
  TSeriesPointerStyle Style() const { return style_; }
  void SetStyle(TSeriesPointerStyle value) { Store(style_, value); }
  int HorizSize() const { return horizSize_; }
  void SetHorizSize(int value) { Store(horizSize_, value); }
  int VertSize() const { return vertSize_; }
  void SetVertSize(int value) { Store(vertSize_, value); }
  bool InflateMargins() const { return inflateMargins_; }
  void SetInflateMargins(bool value) { Store(inflateMargins_, value); }
  bool Draw3D() const { return draw3D_; }
  void SetDraw3D(bool value) { Store(draw3D_, value); }
  TChartPen& Pen() { return pen_; }
  const TChartPen& Pen() const { return pen_; }
  TBrush& Brush() { return brush_; }
  const TBrush& Brush() const { return brush_; }

  // Draws the marker centred on (x, y), filled in `color`, in the style.
  void Draw(TCanvas3D& canvas, int x, int y, TColor color, TSeriesPointerStyle style) const;

 private:
  template <typename T>
  void Store(T& field, const T& value) {
    if (field == value) return;
    field = value;
    changed_();
  }

  std::function<void()> changed_;
  bool visible_ = true;
  TSeriesPointerStyle style_ = psRectangle;
  int horizSize_ = 4;
  int vertSize_ = 4;
  bool inflateMargins_ = true;
  bool draw3D_ = true;
  TChartPen pen_;
  TBrush brush_;
};

}  // namespace kolva::chart
