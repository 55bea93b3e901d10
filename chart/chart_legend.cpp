// SPDX-License-Identifier: MIT
#include "chart/chart_legend.h"

#include <algorithm>

#include "chart/chart_errors.h"
#include "chart/custom_chart.h"
#include "chart/number_format.h"
#include "chart/text_metrics.h"

namespace kolva::chart {

TChartLegend::TChartLegend(TCustomChart& chart)
    : TChartFontObject(chart),
      ColorBoxWidth(chart.Layout().legend.geometry.colorBoxWidth),
      LegendRect(chart.Layout().legend.rect),
      chart_(chart) {
  dividingLines_.OnChange.Set([this] { Repaint(); });
  frame_.OnChange.Set([this] { Repaint(); });
}

void TChartLegend::SetColorWidth(int value) {
  if (value < 0 || value > 100)
    throw LegendException("Legend Color Width must be between 0 and 100 %");
  Store(colorWidth_, value);
}

void TChartLegend::SetFirstValue(int value) {
  if (value < 0) throw LegendException("First Legend Value must be > 0");
  Store(firstValue_, value);
}

void TChartLegend::SetTopPos(int value) {
  if (value < 0 || value > 100)
    throw LegendException("Top Legend Position must be between 0 and 100 %");
  Store(topPos_, value);
}

TLegendStyle TChartLegend::EffectiveLegendStyle() const {
  if (legendStyle_ != lsAuto) return legendStyle_;
  return chart_.CountActiveSeries() < 2 ? lsValues : lsSeries;
}

TChartSeries* TChartLegend::ShownSeries(int n) const {
  return n < 0 ? nullptr : chart_.LegendSeries(n);
}

int TChartLegend::LegendItemCount() const {
  int count = 0;
  if (EffectiveLegendStyle() == lsValues) {
    const TChartSeries* first = chart_.FirstActiveSeries();
    if (first != nullptr && first->ShowInLegend()) count = first->PointCount();
  } else {
    for (const TChartSeries* s : chart_.SeriesList())
      if (s->Active() && s->ShowInLegend()) ++count;
  }
  return std::max(0, count - firstValue_);
}

std::string TChartLegend::LegendItemText(int i) const {
  const TLegendStyle style = EffectiveLegendStyle();
  std::string text;
  if (style == lsSeries) {
    text = chart_.SeriesLegendTitle(i);
  } else if (style == lsValues) {
    const TChartSeries* first = chart_.FirstActiveSeries();
    if (first != nullptr) text = FormattedValueText(*first, i);
  } else if (const TChartSeries* s = ShownSeries(i)) {
    text = FormattedValueText(*s, s->PointCount() - 1);
  }
  if (OnGetLegendText) OnGetLegendText(chart_, style, i, text);
  return text;
}

std::string TChartLegend::FormattedValueText(const TChartSeries& series, int v) const {
  if (v < 0 || v >= series.PointCount()) return {};
  std::string label = series.PointLabel(v);
  std::replace(label.begin(), label.end(), '\r', ' ');
  if (textStyle_ == ltsPlain) return label;
  const double value = series.YValue(v);
  const double total = series.YValues().TotalAbsValue();
  const long double percent =
      total == 0.0 ? 100.0L : static_cast<long double>(value) * 100.0L / total;
  switch (textStyle_) {
    case ltsPlain:
      return label;
    case ltsLeftValue:
      return series.ValueToText(value) + " " + label;
    case ltsRightValue:
      return label + " " + series.ValueToText(value);
    case ltsLeftPercent:
      return FormatValue(chart_.ValueFormatter(), series.PercentFormat(), percent) + " " + label;
    case ltsRightPercent:
      return label + " " + FormatValue(chart_.ValueFormatter(), series.PercentFormat(), percent);
    case ltsXValue:
      break;
  }
  const double x = series.XValue(v);
  if (series.ParentChart() == nullptr) return series.ValueToText(x);
  TCustomAxisPanel& chart = *series.ParentChart();
  return (series.HorizAxis() == aTopAxis ? chart.TopAxis() : chart.BottomAxis()).LabelTextOf(x);
}

int TChartLegend::MaxLegendTextWidth(int n, TextMetrics& metrics) const {
  const int count = n < 0 ? LegendItemCount() : n;
  int widest = 0;
  for (int i = firstValue_; i < firstValue_ + count; ++i)
    widest = std::max(widest, metrics.TextWidth(Font(), LegendItemText(i)));
  return widest;
}

}  // namespace kolva::chart
