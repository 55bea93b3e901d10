// SPDX-License-Identifier: MIT
#include "chart/chart_series.h"

#include <algorithm>
#include <cmath>

#include "chart/custom_axis_panel.h"
#include "chart/number_format.h"

namespace kolva::chart {
namespace {

// A series makes its value texts with its chart's formatter; outside a chart
// it has none.
std::string FormatOn(const TCustomAxisPanel* chart, const std::string& pattern, long double value) {
  return FormatValue(chart ? chart->ValueFormatter() : PatternFormatter(), pattern, value);
}

}  // namespace

TChartSeries::TChartSeries(std::string name) : name_(std::move(name)) {
  xValues_ = std::make_unique<TChartValueList>(this, "X");
  xValues_->SetOrder(loAscending);
  yValues_ = std::make_unique<TChartValueList>(this, "Y");
}

TChartSeries::~TChartSeries() {
  while (!dataSources_.empty()) RemoveDataSource(dataSources_.back());
  for (TChartSeries* dependent : std::vector<TChartSeries*>(dependents_))
    dependent->RemoveDataSource(this);
  // A series being destroyed calls none of its handlers: what they capture
  // may already be gone.
  OnClearValues = nullptr;
  ClearPoints();
  if (parentChart_) parentChart_->RemoveSeries(this);
}

int TChartSeries::AddPoint(double x, double y, const std::string& label, TColor color) {
  xValues_->StagedValue = x;
  yValues_->StagedValue = y;
  if (OnBeforeAdd && !OnBeforeAdd(*this)) return -1;
  if (!MakeRoom(1)) return -1;
  int index = xValues_->AddOrdered(x);
  yValues_->InsertValueAt(index, y);
  StoreColor(static_cast<std::size_t>(index), color == clDefault ? clAutoColor : color);
  // Until some point has a label there is no label list to keep in step.
  if (!label.empty() || !labels_.empty()) InsertLabel(index, label);
  if (OnAfterAdd) OnAfterAdd(*this, index);
  NotifyDependents(TSeriesChange::Add, index);
  if (active_) RequestRepaint();
  return index;
}

int TChartSeries::AddPoints(const double* x, const double* y, std::size_t count, TColor color) {
  if (color == clDefault) color = clAutoColor;
  int last = -1;
  bool stored = false;
  for (std::size_t i = 0; i < count && !storageFull_;) {
    std::size_t run = QuietRun(x + i, count - i, color);
    if (run > 0 && !MakeRoom(run)) {
      // The points that still fit in every list are stored.
      for (const TChartValueList* list : valueLists_) run = std::min(run, list->Room());
      if (run == 0) break;
    }
    if (run == 0) {
      const int index = AddPoint(x[i], y[i], {}, color);
      if (index >= 0) last = index;
      ++i;
      continue;
    }
    xValues_->AppendValues(x + i, run);
    yValues_->AppendValues(y + i, run);
    if (!colors_.empty()) colors_.append(run, color);
    i += run;
    last = PointCount() - 1;
    stored = true;
  }
  if (stored && active_) RequestRepaint();
  return last;
}

bool TChartSeries::Filled() {
  storageFull_ = true;
  if (OnStorageFull) OnStorageFull(*this);
  return false;
}

std::size_t TChartSeries::QuietRun(const double* x, std::size_t count, TColor color) const {
  if (OnBeforeAdd || OnAfterAdd || !dependents_.empty() || !labels_.empty()) return 0;
  // The first point of another colour spreads the shared colour (or, in
  // an empty series, becomes it).
  if (colors_.empty() && color != sharedColor_) return 0;
  return xValues_->LastRun(x, count);
}

void TChartSeries::StoreOwnColor(std::size_t at, TColor color) {
  if (colors_.empty()) {
    const auto count = static_cast<std::size_t>(PointCount());
    if (count == 1) {
      sharedColor_ = color;
      return;
    }
    // The points stored before this one get their own entries.
    for (std::size_t i = 1; i < count; ++i) colors_.push_back(sharedColor_);
  }
  if (at == colors_.size()) {
    colors_.push_back(color);
  } else {
    colors_.insert(at, color);
  }
}

int TChartSeries::AddY(double y, const std::string& label, TColor color) {
  return AddPoint(static_cast<double>(PointCount()), y, label, color);
}

void TChartSeries::InsertLabel(int index, const std::string& label) {
  if (label.empty()) {
    if (!labels_.empty()) labels_.insert(labels_.begin() + index, nullptr);
    return;
  }
  // The first label gives every point a (null) entry.
  if (labels_.empty()) labels_.resize(static_cast<std::size_t>(PointCount() - 1));
  labels_.insert(labels_.begin() + index, std::make_unique<std::string>(label));
}

void TChartSeries::ClearPoints() {
  for (TChartValueList* list : valueLists_) list->RemoveAll();
  storageFull_ = false;
  colors_.Release();
  std::vector<std::unique_ptr<std::string>>().swap(labels_);
  std::vector<TRect>().swap(marks_.Positions);
  if (OnClearValues) OnClearValues(*this);
  NotifyDependents(TSeriesChange::Clear, -1);
  if (parentChart_ && !parentChart_->IsDestroying()) RequestRepaint();
}

void TChartSeries::DeletePoint(int index) {
  for (TChartValueList* list : valueLists_) list->DeleteValue(index);
  auto at = static_cast<std::size_t>(index);
  if (at < colors_.size()) colors_.erase(at);
  if (at < labels_.size()) labels_.erase(labels_.begin() + index);
  if (at < marks_.Positions.size()) marks_.Positions.erase(marks_.Positions.begin() + index);
  NotifyDependents(TSeriesChange::Delete, index);
  RequestRepaint();
}

TColor TChartSeries::PointColor(int index) const {
  if (index < 0 || index >= PointCount()) return seriesColor_;
  TColor stored = StoredColor(index);
  if (stored != clAutoColor) return stored;
  return colorEachPoint_ ? PaletteColor(index) : seriesColor_;
}

std::string TChartSeries::PointLabel(int index) const {
  if (index < 0 || static_cast<std::size_t>(index) >= labels_.size()) return {};
  const auto& label = labels_[static_cast<std::size_t>(index)];
  return label ? *label : std::string();
}

bool TChartSeries::HasPointLabels() const {
  for (const auto& label : labels_)
    if (label) return true;
  return false;
}

std::string TChartSeries::ValueToText(double value) const {
  return FormatOn(parentChart_, valueFormat_, value);
}

std::string TChartSeries::PercentText(int index) const {
  double total = yValues_->TotalAbsValue();
  long double percent =
      total == 0.0 ? 100.0L : std::fabs(static_cast<long double>(YValue(index))) * 100.0L / total;
  return FormatOn(parentChart_, percentFormat_, percent);
}

std::string TChartSeries::PercentOfTotalText(int index) const {
  return PercentText(index) + " of " + ValueToText(yValues_->TotalAbsValue());
}

void TChartSeries::RequestRepaint() const {
  if (parentChart_) parentChart_->Invalidate();
}

void TChartSeries::SetParentChart(TCustomAxisPanel* chart) {
  if (parentChart_ == chart) return;
  if (parentChart_) parentChart_->RemoveSeries(this);
  if (chart) chart->AddSeries(this);
}

void TChartSeries::SetColorEachPoint(bool value) {
  if (colorEachPoint_ == value) return;
  colorEachPoint_ = value;
  if (!value) {
    colors_.Release();
    sharedColor_ = clAutoColor;
  }
  RequestRepaint();
}

void TChartSeries::SetColorSource(const std::string& value) {
  if (colorSource_ == value) return;
  colorSource_ = value;
  ReloadFromDataSources();
}

void TChartSeries::SetXLabelsSource(const std::string& value) {
  if (xLabelsSource_ == value) return;
  xLabelsSource_ = value;
  ReloadFromDataSources();
}

void TChartSeries::CalcVisibleRange() {
  int n = PointCount();
  SetVisibleRange(n == 0 ? -1 : 0, n - 1);
}

void TChartSeries::DrawPoints() {
  if (firstVisibleIndex_ < 0) return;
  for (int i = firstVisibleIndex_; i <= lastVisibleIndex_; ++i) DrawPoint(i);
}

std::size_t TChartSeries::StorageBytes() const {
  std::size_t bytes =
      colors_.StorageBytes() + labels_.capacity() * sizeof(std::unique_ptr<std::string>);
  for (const TChartValueList* list : valueLists_) bytes += list->StorageBytes();
  for (const auto& label : labels_)
    if (label) bytes += sizeof(std::string) + label->capacity();
  return bytes;
}

}  // namespace kolva::chart
