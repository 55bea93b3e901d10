// SPDX-License-Identifier: MIT
#pragma once

#include "chart/color.h"
#include "chart/notify_link.h"

namespace kolva::chart {

enum TBrushStyle : int {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

// The toolkit's brush: fill colour and style. bsClear fills nothing.
class TBrush {
 public:
  TColor Color() const { return color_; }
  TBrushStyle Style() const { return style_; }
  void SetColor(TColor value) {
    if (color_ == value) return;
    color_ = value;
    OnChange.Fire();
  }
  void SetStyle(TBrushStyle value) {
    if (style_ == value) return;
    style_ = value;
    OnChange.Fire();
  }

  TNotifyLink OnChange;

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};

// The brush of the chart's titles; a colour of clAutoColor draws hollow.
class TChartBrush : public TBrush {
 public:
  TChartBrush() { SetColor(clAutoColor); }
};

}  // namespace kolva::chart
