// SPDX-License-Identifier: MIT
#include "chart/chart_value_list.h"

#include <cmath>

#include "chart/chart_errors.h"
#include "chart/chart_series.h"

namespace kolva::chart {

TChartValueList::TChartValueList(TChartSeries* owner, std::string name)
    : owner_(owner), name_(std::move(name)) {
  if (owner_) owner_->RegisterValueList(this);
}

void TChartValueList::CheckIndex(int index) const {
  if (index < 0 || index >= ValueCount()) throw EListError(index);
}

double TChartValueList::Value(int index) const {
  CheckIndex(index);
  return Read(values_[static_cast<std::size_t>(index)]);
}

int TChartValueList::InsertOrdered(double value) {
  // The walk starts at the end again: a value that compares false with
  // everything (NaN) stops it at once and is appended.
  int index = ValueCount();
  if (order_ == loAscending) {
    while (index > 0 && values_[static_cast<std::size_t>(index - 1)] > value) --index;
  } else {
    while (index > 0 && values_[static_cast<std::size_t>(index - 1)] < value) --index;
  }
  values_.insert(static_cast<std::size_t>(index), value);
  AddStatistics(value);
  return index;
}

void TChartValueList::InsertInside(int index, double value) {
  if (index < 0 || index > ValueCount()) throw EListError(index);
  values_.insert(static_cast<std::size_t>(index), value);
  AddStatistics(value);
}

void TChartValueList::DeleteValue(int index) {
  CheckIndex(index);
  double v = Read(values_[static_cast<std::size_t>(index)]);
  values_.erase(static_cast<std::size_t>(index));
  total_ -= v;
  totalAbs_ -= std::fabs(v);
  RecalcMinMax();
}

void TChartValueList::ChangeValue(int index, double value) {
  CheckIndex(index);
  double old = Read(values_[static_cast<std::size_t>(index)]);
  total_ -= old;
  totalAbs_ -= std::fabs(old);
  values_[static_cast<std::size_t>(index)] = value;
  double v = Read(value);
  total_ += v;
  totalAbs_ += std::fabs(v);
  // The old value may have been the minimum or the maximum: recompute both
  // rather than keep an extreme that no longer exists.
  RecalcMinMax();
  if (owner_) owner_->NotifyDependents(TSeriesChange::Change, index);
}

int TChartValueList::LocateValue(double value) const {
  for (std::size_t i = 0; i < values_.size(); ++i)
    if (Read(values_[i]) == value) return static_cast<int>(i);
  return -1;
}

void TChartValueList::RemoveAll() {
  values_.Release();
  minimum_ = maximum_ = total_ = totalAbs_ = 0.0;
}

void TChartValueList::RecalcMinMax() {
  minimum_ = maximum_ = 0.0;
  for (std::size_t i = 0; i < values_.size(); ++i) {
    double v = Read(values_[i]);
    if (i == 0) {
      minimum_ = maximum_ = v;
    } else if (v < minimum_) {
      minimum_ = v;
    } else if (v > maximum_) {
      maximum_ = v;
    }
  }
}

void TChartValueList::SetDateTime(bool value) {
  if (dateTime_ == value) return;
  dateTime_ = value;
  if (owner_) owner_->RequestRepaint();
}

void TChartValueList::SetMultiplier(double value) {
  if (multiplier_ == value) return;
  multiplier_ = value;
  RecalcMinMax();
  total_ = totalAbs_ = 0.0;
  for (std::size_t i = 0; i < values_.size(); ++i) {
    total_ += Read(values_[i]);
    totalAbs_ += std::fabs(Read(values_[i]));
  }
  if (owner_) {
    owner_->NotifyDependents(TSeriesChange::Refresh, -1);
    owner_->RequestRepaint();
  }
}

void TChartValueList::SetValueSource(const std::string& value) {
  if (valueSource_ == value) return;
  valueSource_ = value;
  if (owner_) owner_->ReloadFromDataSources();
}

}  // namespace kolva::chart
