// SPDX-License-Identifier: MIT
#include "chart/line_series.h"

namespace kolva::chart {

TLineSeries::TLineSeries(std::string name) : TCustomSeries(std::move(name)) {
  SetDrawLines(true);
  Pointer().SetVisible(false);
}

void TLineSeries::Assign(const TCustomSeries& other) {
  SetSeriesColor(other.SeriesColor());
  SetTitle(other.Title());
  SetValueFormat(other.ValueFormat());
  SetPercentFormat(other.PercentFormat());
  SetHorizAxis(other.HorizAxis());
  SetVertAxis(other.VertAxis());
  SetStairs(other.Stairs());
  SetInvertedStairs(other.InvertedStairs());
  SetLineBrush(other.LineBrush());
  SetDark3D(other.Dark3D());
  LinePen().Assign(other.LinePen());
  Pointer().SetStyle(other.Pointer().Style());
  Pointer().SetHorizSize(other.Pointer().HorizSize());
  Pointer().SetVertSize(other.Pointer().VertSize());
  Pointer().SetVisible(false);
  SetDrawArea(false);
  SetDrawLines(true);
}

}  // namespace kolva::chart
