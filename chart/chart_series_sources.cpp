// SPDX-License-Identifier: MIT
// The data-source side of a series: series that copy the points of others.
#include <algorithm>

#include "chart/chart_errors.h"
#include "chart/chart_series.h"
#include "chart/custom_axis_panel.h"

namespace kolva::chart {

void TChartSeries::AddDataSource(TChartSeries* source) {
  if (!parentChart_) throw ChartException("No ParentChart to validate DataSource");
  if (source == nullptr || source == this)
    throw ChartException("No valid DataSource: " + (source ? source->Name() : std::string()));
  if (std::find(dataSources_.begin(), dataSources_.end(), source) != dataSources_.end()) return;
  dataSources_.push_back(source);
  source->dependents_.push_back(this);
  ReloadFromDataSources();
}

void TChartSeries::RemoveDataSource(TChartSeries* source) {
  auto it = std::find(dataSources_.begin(), dataSources_.end(), source);
  if (it == dataSources_.end()) return;
  dataSources_.erase(it);
  auto& theirs = source->dependents_;
  theirs.erase(std::remove(theirs.begin(), theirs.end(), this), theirs.end());
}

void TChartSeries::TellDependents(TSeriesChange kind, int index) {
  for (TChartSeries* dependent : std::vector<TChartSeries*>(dependents_)) {
    const auto& sources = dependent->dataSources_;
    if (std::find(sources.begin(), sources.end(), this) != sources.end())
      dependent->OnSourceChanged(kind, index);
  }
}

void TChartSeries::OnSourceChanged(TSeriesChange kind, int index) {
  switch (kind) {
    case TSeriesChange::Clear:
      ClearPoints();
      break;
    case TSeriesChange::Add:
      if (dataSources_.size() == 1)
        CopyPointFrom(*dataSources_.front(), index);
      else
        ReloadFromDataSources();
      break;
    case TSeriesChange::Delete:
      if (dataSources_.size() == 1 && index < PointCount())
        DeletePoint(index);
      else
        ReloadFromDataSources();
      break;
    case TSeriesChange::Change:
    case TSeriesChange::Refresh:
      ReloadFromDataSources();
      break;
  }
}

void TChartSeries::CopyPointFrom(const TChartSeries& source, int index) {
  AddPoint(source.XValue(index), source.YValue(index), source.PointLabel(index),
           source.StoredColor(index));
}

void TChartSeries::ReloadFromDataSources() {
  if (dataSources_.empty()) {
    RequestRepaint();
    return;
  }
  ClearPoints();
  for (const TChartSeries* source : dataSources_)
    for (int i = 0; i < source->PointCount(); ++i) CopyPointFrom(*source, i);
}

}  // namespace kolva::chart
