// SPDX-License-Identifier: MIT
#include "chart/chart_value_list.h"

#include <cmath>

#include "chart/chart_errors.h"
#include "chart/chart_series.h"

namespace kolva::chart {

TChartValueList::TChartValueList(TChartSeries* owner, std::string name)
    : owner_(owner), name_(std::move(name)) {
  values_.AllowSpill();
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
  // The value lies before the last one (neither is NaN). Walking back,
  // it goes just after the first value it does not lie before, or a NaN.
  int index = ValueCount();
  if (order_ == loAscending) {
    while (index > 0 && values_[static_cast<std::size_t>(index - 1)] > value) --index;
  } else {
    while (index > 0 && values_[static_cast<std::size_t>(index - 1)] < value) --index;
  }
  StoreInside(static_cast<std::size_t>(index), value);
  return index;
}

std::size_t TChartValueList::LastRun(const double* values, std::size_t n) const {
  if (order_ == loNone || n == 0) return n;
  if (!values_.empty() && LiesBefore(values[0], values_.back())) return 0;
  for (std::size_t i = 1; i < n; ++i)
    if (LiesBefore(values[i], values[i - 1])) return i;
  return n;
}

void TChartValueList::AppendValues(const double* values, std::size_t n) {
  if (n == 0) return;
  const bool first = values_.empty();
  if (first) minimum_ = maximum_ = Read(values[0]);
  // The steps of Append and AddStatistics, in one pass with the summary's
  // and on locals (the values could alias the members, which would keep
  // those in memory).
  double previous = first ? values[0] : values_.back();
  int descents = 0, nans = 0;
  double total = total_, totalAbs = totalAbs_, minimum = minimum_, maximum = maximum_;
  values_.append(values, n);
  summary_.AppendRun(values, n, values_.size(), [&](double stored) {
    descents += previous <= stored ? 0 : 1;
    nans += stored != stored ? 1 : 0;
    previous = stored;
    const double v = Read(stored);
    total += v;
    totalAbs += std::fabs(v);
    if (v < minimum) minimum = v;
    if (v > maximum) maximum = v;
  });
  // The first value of an empty list was compared with itself, which
  // only a NaN fails; it has no neighbour before it.
  if (first && values[0] != values[0]) --descents;
  descents_ += descents;
  nanCount_ += nans;
  total_ = total;
  totalAbs_ = totalAbs;
  minimum_ = minimum;
  maximum_ = maximum;
}

void TChartValueList::StoreInside(std::size_t i, double value) {
  // The pair (i - 1, i) is split by the new value.
  if (i > 0) descents_ -= DescentAt(i - 1);
  values_.insert(i, value);
  descents_ += DescentsAround(i);
  if (value != value) ++nanCount_;
  summary_.RebuildFrom(values_, i, values_.size());
  AddStatistics(value);
}

MinMax TChartValueList::ReadMinMax(int first, int last) const {
  const MinMax stored =
      summary_.Query(values_, static_cast<std::size_t>(first), static_cast<std::size_t>(last));
  // Reading multiplies: a negative multiplier turns the ends round.
  if (multiplier_ < 0.0) return {Read(stored.max), Read(stored.min)};
  return {Read(stored.min), Read(stored.max)};
}

void TChartValueList::InsertInside(int index, double value) {
  if (index < 0 || index > ValueCount()) throw EListError(index);
  StoreInside(static_cast<std::size_t>(index), value);
}

void TChartValueList::DeleteValue(int index) {
  CheckIndex(index);
  const auto at = static_cast<std::size_t>(index);
  double v = Read(values_[at]);
  descents_ -= DescentsAround(at);
  if (values_[at] != values_[at]) --nanCount_;
  values_.erase(at);
  if (at > 0) descents_ += DescentAt(at - 1);
  summary_.RebuildFrom(values_, at, values_.size());
  total_ -= v;
  totalAbs_ -= std::fabs(v);
  RecalcMinMax();
}

void TChartValueList::ChangeValue(int index, double value) {
  CheckIndex(index);
  double old = Read(values_[static_cast<std::size_t>(index)]);
  total_ -= old;
  totalAbs_ -= std::fabs(old);
  const auto at = static_cast<std::size_t>(index);
  descents_ -= DescentsAround(at);
  if (values_[at] != values_[at]) --nanCount_;
  values_[at] = value;
  descents_ += DescentsAround(at);
  if (value != value) ++nanCount_;
  summary_.Refresh(values_, at, values_.size());
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
  summary_.Release();
  descents_ = nanCount_ = 0;
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
