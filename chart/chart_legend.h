// SPDX-License-Identifier: MIT
#pragma once

#include "chart/chart_pen.h"
#include "chart/chart_title.h"
#include "chart/geometry.h"

namespace kolva::chart {

class TCustomAxisPanel;

enum TLegendAlignment : int { laLeft, laRight, laTop, laBottom };
enum TLegendStyle : int { lsAuto, lsSeries, lsValues, lsLastValues };
enum TLegendTextStyle : int {
  ltsPlain,
  ltsLeftValue,
  ltsRightValue,
  ltsLeftPercent,
  ltsRightPercent,
  ltsXValue
};

// The legend's settings and what its last drawing left behind. Setters
// invalidate the chart on a change; TopPos, FirstValue and ColorWidth are
// checked first and raise LegendException, keeping the old value.
class TChartLegend : public TChartFontObject {
 public:
  explicit TChartLegend(TCustomAxisPanel& chart);

  TLegendAlignment Alignment() const { return alignment_; }
  void SetAlignment(TLegendAlignment value) { Store(alignment_, value); }
  TColor Color() const { return color_; }
  void SetColor(TColor value) { Store(color_, value); }
  int ColorWidth() const { return colorWidth_; }
  void SetColorWidth(int value);
  TChartHiddenPen& DividingLines() { return dividingLines_; }
  int FirstValue() const { return firstValue_; }
  void SetFirstValue(int value);
  TChartPen& Frame() { return frame_; }
  int HorizMargin() const { return horizMargin_; }
  void SetHorizMargin(int value) { Store(horizMargin_, value); }
  bool Inverted() const { return inverted_; }
  void SetInverted(bool value) { Store(inverted_, value); }
  TLegendStyle LegendStyle() const { return legendStyle_; }
  void SetLegendStyle(TLegendStyle value) { Store(legendStyle_, value); }
  bool ResizeChart() const { return resizeChart_; }
  void SetResizeChart(bool value) { Store(resizeChart_, value); }
  TColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(TColor value) { Store(shadowColor_, value); }
  int ShadowSize() const { return shadowSize_; }
  void SetShadowSize(int value) { Store(shadowSize_, value); }
  TLegendTextStyle TextStyle() const { return textStyle_; }
  void SetTextStyle(TLegendTextStyle value) { Store(textStyle_, value); }
  int TopPos() const { return topPos_; }
  void SetTopPos(int value);
  int VertMargin() const { return vertMargin_; }
  void SetVertMargin(int value) { Store(vertMargin_, value); }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { Store(visible_, value); }

  // LegendStyle with lsAuto resolved: lsValues for fewer than two active
  // series, lsSeries otherwise.
  TLegendStyle EffectiveLegendStyle() const;
  bool Vertical() const { return alignment_ == laLeft || alignment_ == laRight; }

  // State of the last drawing: symbol width and the box without its frame.
  int ColorBoxWidth = 0;
  TRect LegendRect;

 private:
  TCustomAxisPanel& axisPanel_;
  TLegendAlignment alignment_ = laRight;
  TColor color_ = clWhite;
  int colorWidth_ = 12;
  TChartHiddenPen dividingLines_;
  int firstValue_ = 0;
  TChartPen frame_;
  int horizMargin_ = 0;
  bool inverted_ = false;
  TLegendStyle legendStyle_ = lsAuto;
  bool resizeChart_ = true;
  TColor shadowColor_ = clBlack;
  int shadowSize_ = 3;
  TLegendTextStyle textStyle_ = ltsLeftValue;
  int topPos_ = 10;
  int vertMargin_ = 0;
  bool visible_ = true;
};

}  // namespace kolva::chart
