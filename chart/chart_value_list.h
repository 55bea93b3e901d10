// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <string>

#include "chart/pod_array.h"

namespace kolva::chart {

class TChartSeries;

enum TChartListOrder : int { loNone, loAscending, loDescending };

// One column of a series' numbers (its X or its Y) with the order that
// adding keeps and running statistics. Values are stored as they are given,
// contiguously; every value read from the list is the stored value times
// Multiplier, rounded to double. The statistics hold read values.
class TChartValueList {
 public:
  // Registers the list in the owner's value lists (X first, then Y).
  TChartValueList(TChartSeries* owner, std::string name);
  TChartValueList(const TChartValueList&) = delete;
  TChartValueList& operator=(const TChartValueList&) = delete;

  int ValueCount() const { return static_cast<int>(values_.size()); }
  // Raises EListError outside 0 .. ValueCount - 1.
  double Value(int index) const;
  double LastValue() const { return Value(ValueCount() - 1); }
  // Stores the value where Order demands: with an order, after every equal
  // value, found by walking back from the end (one comparison when values
  // arrive in order). Answers the index where it now lies.
  int AddOrdered(double value) {
    if (!GoesLast(value)) return InsertOrdered(value);
    int index = ValueCount();
    Append(value);
    return index;
  }
  // Stores the value at the index (0 .. ValueCount), ignoring Order;
  // raises EListError outside that range.
  void InsertValueAt(int index, double value) {
    if (index == ValueCount()) {
      Append(value);
      return;
    }
    InsertInside(index, value);
  }
  void DeleteValue(int index);
  void ChangeValue(int index, double value);
  // The first index whose read value equals the argument exactly, else -1.
  int LocateValue(double value) const;
  // Empties the list, releases its storage and zeroes the statistics.
  void RemoveAll();
  void RecalcMinMax();

  double MinimumValue() const { return minimum_; }
  double MaximumValue() const { return maximum_; }
  double TotalValue() const { return total_; }
  double TotalAbsValue() const { return totalAbs_; }

  bool DateTime() const { return dateTime_; }
  void SetDateTime(bool value);
  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  double Multiplier() const { return multiplier_; }
  // Recomputes minimum, maximum and the totals under the new multiplier.
  void SetMultiplier(double value);
  TChartListOrder Order() const { return order_; }
  void SetOrder(TChartListOrder value) { order_ = value; }
  const std::string& ValueSource() const { return valueSource_; }
  void SetValueSource(const std::string& value);

  // The value AddPoint stages before storing it.
  double StagedValue = 0.0;

  TChartSeries* Owner() const { return owner_; }
  // Bytes of storage the list holds (capacity, not count).
  std::size_t StorageBytes() const { return values_.StorageBytes(); }

 private:
  double Read(double stored) const { return static_cast<double>(stored * multiplier_); }
  // True when Order puts the value after every stored one.
  bool GoesLast(double value) const {
    if (order_ == loNone || values_.empty()) return true;
    return order_ == loAscending ? values_.back() <= value : values_.back() >= value;
  }
  void Append(double value) {
    values_.push_back(value);
    AddStatistics(value);
  }
  void AddStatistics(double stored) {
    double v = Read(stored);
    total_ += v;
    totalAbs_ += std::fabs(v);
    if (values_.size() == 1) {
      minimum_ = maximum_ = v;
    } else {
      if (v < minimum_) minimum_ = v;
      if (v > maximum_) maximum_ = v;
    }
  }
  // The out-of-order cases of AddOrdered and InsertValueAt.
  int InsertOrdered(double value);
  void InsertInside(int index, double value);
  void CheckIndex(int index) const;

  TChartSeries* owner_;
  bool dateTime_ = false;
  PodArray<double> values_;
  double maximum_ = 0.0;
  double minimum_ = 0.0;
  double multiplier_ = 1.0;
  std::string name_;
  TChartListOrder order_ = loNone;
  double total_ = 0.0;
  double totalAbs_ = 0.0;
  std::string valueSource_;
};

}  // namespace kolva::chart
