// SPDX-License-Identifier: MIT
#include "chart/chart_legend.h"

#include "chart/chart_errors.h"
#include "chart/custom_axis_panel.h"

namespace kolva::chart {

TChartLegend::TChartLegend(TCustomAxisPanel& chart) : TChartFontObject(chart), axisPanel_(chart) {
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
  return axisPanel_.CountActiveSeries() < 2 ? lsValues : lsSeries;
}

}  // namespace kolva::chart
