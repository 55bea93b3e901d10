// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

#include "chart/chart_pen.h"
#include "chart/chart_title.h"
#include "chart/geometry.h"
#include "chart/legend_layout.h"

namespace kolva::chart {

class TCustomChart;
class TChartSeries;
class TextMetrics;
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
  using GetTextEvent = std::function<void(TCustomChart&, TLegendStyle, int, std::string&)>;
  using GetPosEvent = std::function<void(TCustomChart&, int, int&, int&, int&)>;
  using GetRectEvent = std::function<void(TCustomChart&, TRect&)>;

  explicit TChartLegend(TCustomChart& chart);

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
  bool Vertical() const { return IsVerticalLegend(alignment_); }

  // The number of items: series (lsSeries, lsLastValues) that are active
  // and shown in the legend, or points of the first active series
  // (lsValues), less FirstValue; never below 0.
  int LegendItemCount() const;
  // Item i, counted from 0 with FirstValue included, through
  // OnGetLegendText. lsLastValues shows the last point of the i-th series
  // that is active and shown in the legend, the series its symbol draws.
  std::string LegendItemText(int i) const;
  // Point v of the series as TextStyle composes it; "" for v = -1.
  std::string FormattedValueText(const TChartSeries& series, int v) const;
  // The widest of items FirstValue .. FirstValue + n - 1 in the legend's
  // font (n = -1: all items); 0 for none.
  int MaxLegendTextWidth(int n, TextMetrics& metrics) const;

  // Places the legend box and its rows for a paint and, when it has items,
  // takes its strip and the gap off chartRect (left to be repaired). The
  // chart lays it out only while it is visible and some series is active.
  TLegendLayout Layout(const TRect& chartBounds, TRect& chartRect, TextMetrics& metrics) const;
  // Draws the legend where the layout puts it.
  void DrawLegend(const TLegendLayout& layout);

  // The chart's legend events (unassigned in the chart window).
  GetTextEvent OnGetLegendText;
  GetPosEvent OnGetLegendPos;
  GetRectEvent OnGetLegendRect;

  // The picture on screen's symbol width and box without its frame.
  const int& ColorBoxWidth;
  const TRect& LegendRect;

 private:
  TChartSeries* ShownSeries(int n) const;
  std::vector<TLegendRow> Rows(const LegendGeometry& g, int fontHeight) const;
  void DrawBox(const TRect& legendRect);
  void DrawItem(const TLegendLayout& layout, const TLegendRow& row);
  void DrawSymbol(int index, const TRect& rect);

  TCustomChart& chart_;
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
