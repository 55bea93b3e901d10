// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cmath>
#include <string>

#include "chart/min_max_summary.h"
#include "chart/pod_array.h"

namespace kolva::chart {

class TChartSeries;

enum TChartListOrder : int { loNone, loAscending, loDescending };

// One column of a series' numbers (its X or its Y) with the order that
// adding keeps and running statistics. Values are stored as they are given,
// in blocks (in a file once the list is long, see PodArray); every value
// read from the list is the stored value times Multiplier, rounded to
// double. The statistics hold read values.
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
    if (!values_.empty() && LiesBefore(value, values_.back())) return InsertOrdered(value);
    int index = ValueCount();
    Append(value);
    return index;
  }
  // How many of values[0 .. n), given to AddOrdered one after another,
  // would each be stored last (all of them without an order).
  std::size_t LastRun(const double* values, std::size_t n) const;
  // Stores values[0 .. n) after the stored ones, ignoring Order: the
  // stored values, counts, summary and statistics (summed in the same
  // order) are exactly those of n appends one by one.
  void AppendValues(const double* values, std::size_t n);
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

  // Makes room for n more values, so that adding them cannot fail; false
  // when the list's file could not grow (StorageFull from then on).
  bool Reserve(std::size_t n) { return values_.Reserve(n); }
  // Values that fit before the list must grow.
  std::size_t Room() const { return values_.Room(); }
  // True when the list's file found no more room; RemoveAll clears it.
  bool StorageFull() const { return values_.Full(); }
  // True when the values live in a file rather than on the heap.
  bool Spilled() const { return values_.Spilled(); }
  // Lets the kernel drop a file-backed list's pages from RAM, so the next
  // reads come from the disk (a cold start, as after a long run); only the
  // newest values, staged on the heap, stay.
  void DropPages() { values_.DropPages(); }

  // The value AddPoint stages before storing it.
  double StagedValue = 0.0;

  TChartSeries* Owner() const { return owner_; }
  // Bytes of heap the list holds (capacity, not count), the summary
  // included; values in a file are not counted.
  std::size_t StorageBytes() const { return values_.StorageBytes() + summary_.StorageBytes(); }

  // --- Reading ranges fast, for drawing --------------------------------
  // The read value at an index the caller knows to be valid.
  double ValueAt(int index) const { return Read(values_[static_cast<std::size_t>(index)]); }
  // True when no stored value is NaN.
  bool NoNaN() const { return nanCount_ == 0; }
  // True when the read values never decrease from one index to the next
  // (no NaN, stored values in order, a positive finite multiplier).
  bool ReadAscending() const {
    return descents_ == 0 && nanCount_ == 0 && multiplier_ > 0.0 && std::isfinite(multiplier_);
  }
  // Smallest and largest read value over first .. last (valid indices,
  // first <= last); meaningless when the range holds a NaN.
  MinMax ReadMinMax(int first, int last) const;
  // For a list read in ascending order (ReadAscending): the first index
  // from `from` on whose read value passes `beyond` (which fails and then
  // holds along ascending values), else ValueCount. The summary's entries,
  // on the heap, find the 128 values it lies among, so a list in a file is
  // read in one or two pages rather than across the whole file.
  template <typename Beyond>
  int FirstReadWhere(int from, const Beyond& beyond) const {
    const std::size_t shift = MinMaxSummary::kBaseShift;
    const auto start = static_cast<std::size_t>(from);
    std::size_t low = start >> shift, high = summary_.BaseEntries();
    // An entry's largest value is its last.
    while (low < high) {
      const std::size_t mid = low + (high - low) / 2;
      if (beyond(Read(summary_.BaseEntry(mid).max))) {
        high = mid;
      } else {
        low = mid + 1;
      }
    }
    if (low == summary_.BaseEntries()) return ValueCount();
    std::size_t first = std::max(start, low << shift);
    std::size_t end = std::min(values_.size(), (low + 1) << shift);
    while (first < end) {
      const std::size_t mid = first + (end - first) / 2;
      if (beyond(Read(values_[mid]))) {
        end = mid;
      } else {
        first = mid + 1;
      }
    }
    return static_cast<int>(first);
  }
  // The largest index in first .. last whose read value fails `inside`
  // (which holds on an interval of values), or -1 when all pass.
  template <typename Inside>
  int LastReadOutside(int first, int last, const Inside& inside) const {
    const auto readInside = [&](double stored) { return inside(Read(stored)); };
    return static_cast<int>(summary_.LastOutside(values_, static_cast<std::size_t>(first),
                                                 static_cast<std::size_t>(last), readInside));
  }

 private:
  double Read(double stored) const { return static_cast<double>(stored * multiplier_); }
  // True when Order puts `value` before `last`, which is never so for a
  // NaN on either side: a value for which it is false is stored last.
  bool LiesBefore(double value, double last) const {
    return order_ == loAscending ? last > value : order_ == loDescending && last < value;
  }
  void Append(double value) {
    if (!values_.empty() && !(values_.back() <= value)) ++descents_;
    if (value != value) ++nanCount_;
    values_.push_back(value);
    summary_.Append(value, values_.size());
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
  // 1 when the stored values at i and i + 1 are out of order (or one is
  // NaN), else 0; 0 when either index is outside the list.
  int DescentAt(std::size_t i) const {
    return i + 1 < values_.size() && !(values_[i] <= values_[i + 1]) ? 1 : 0;
  }
  // Out-of-order pairs around index i: (i - 1, i) and (i, i + 1).
  int DescentsAround(std::size_t i) const { return (i > 0 ? DescentAt(i - 1) : 0) + DescentAt(i); }
  // Stores the value at i (0 .. ValueCount), keeping the counts and the
  // summary right.
  void StoreInside(std::size_t i, double value);

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
  // Pairs of neighbours out of order, and NaN values stored.
  int descents_ = 0;
  int nanCount_ = 0;
  MinMaxSummary summary_;
};

}  // namespace kolva::chart
