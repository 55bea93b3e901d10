// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>

#include "chart/pod_array.h"

namespace kolva::chart {

// The smallest and largest of a run of values.
struct MinMax {
  double min = 0.0;
  double max = 0.0;
};

// A min/max summary of a list of doubles in levels: level 0 holds one entry
// per 128 values, each higher level one entry per 16 entries below it, so a
// range query reads at most 127 values at each end and 15 entries at each
// end of every level above. A query only reads entries that lie wholly
// inside its range, which are complete; so a level above 0 folds in an
// entry below once that entry is complete (its last value appended), and
// appending a value costs one entry's update, plus one per level on each
// 128th value. A change inside the list rebuilds the entries it touches.
// NaN values make the entries that hold them meaningless: callers that care
// keep count of NaNs themselves. Memory: about 0.13 bytes per value (the
// summary stays on the heap when a long list moves into a file).
class MinMaxSummary {
 public:
  static constexpr int kLevels = 5;
  static constexpr std::size_t kBaseShift = 7;  // 128 values per level-0 entry
  static constexpr std::size_t kFanShift = 4;   // 16 entries per higher entry

  // Shift from a value index to the index of its entry at `level`.
  static constexpr std::size_t ShiftOf(int level) {
    return kBaseShift + kFanShift * static_cast<std::size_t>(level);
  }

  // Widens entry `entry` of a level by v; the entry just past the level's
  // last one starts with v alone.
  static void Include(PodArray<MinMax>& entries, std::size_t entry, double v) {
    if (entry == entries.size()) {
      entries.push_back(MinMax{v, v});
      return;
    }
    MinMax& m = entries[entry];
    if (v < m.min) m.min = v;
    if (v > m.max) m.max = v;
  }

  // The value at index `count - 1` was just appended.
  void Append(double v, std::size_t count) {
    Include(levels_[0], (count - 1) >> kBaseShift, v);
    if ((count & ((std::size_t{1} << kBaseShift) - 1)) == 0) Completed((count - 1) >> kBaseShift);
  }

  // values[0 .. n) were just appended, the last at index `count - 1`; the
  // entries become exactly those of n Appends. Level 0 folds the values in
  // order, as Append does, and each level-0 entry the run completes is
  // folded upwards as Append folds it. `each` is called with every value,
  // in order, in level 0's pass (for the caller's upkeep).
  template <typename Each>
  void AppendRun(const double* values, std::size_t n, std::size_t count, Each&& each) {
    if (n == 0) return;
    const std::size_t begin = count - n;
    PodArray<MinMax>& base = levels_[0];
    for (std::size_t i = begin; i < count;) {
      const std::size_t entry = i >> kBaseShift;
      const std::size_t end = std::min(count, (entry + 1) << kBaseShift);
      const double* run = values + (i - begin);
      // A new entry starts as its first value, which folds into itself
      // unchanged (a NaN too).
      if (entry == base.size()) {
        base.push_back(Fold(MinMax{run[0], run[0]}, run, end - i, each));
      } else {
        base[entry] = Fold(base[entry], run, end - i, each);
      }
      if (end == (entry + 1) << kBaseShift) Completed(entry);
      i = end;
    }
  }

  // Rebuilds every entry that covers an index from `from` on, after the
  // values from `from` to the end changed (an insert or a delete shifts
  // them all). `values` is the whole list. The entries wholly before
  // `from` are kept, and are complete; at each level above 0 those that
  // belong to the rebuilt entry are folded into it first, in order, as
  // appending did; then the values from `from`'s level-0 entry on are
  // appended again.
  template <typename Values>
  void RebuildFrom(const Values& values, std::size_t from, std::size_t count) {
    for (int level = 0; level < kLevels; ++level) {
      PodArray<MinMax>& entries = levels_[static_cast<std::size_t>(level)];
      const std::size_t keep = from >> ShiftOf(level);
      while (entries.size() > keep) entries.erase(entries.size() - 1);
    }
    for (int level = 1; level < kLevels; ++level) {
      const PodArray<MinMax>& below = levels_[static_cast<std::size_t>(level - 1)];
      const std::size_t first = (from >> ShiftOf(level)) << kFanShift;
      for (std::size_t e = first; e < std::min(below.size(), from >> ShiftOf(level - 1)); ++e)
        FoldUp(level, e);
    }
    for (std::size_t i = (from >> kBaseShift) << kBaseShift; i < count; ++i)
      Append(values[i], i + 1);
  }

  // Recomputes the entries over the one index `at` after its value changed:
  // level 0 from the values, each level above (where it has the entry)
  // from the entries below.
  template <typename Values>
  void Refresh(const Values& values, std::size_t at, std::size_t count) {
    const std::size_t begin = (at >> kBaseShift) << kBaseShift;
    const std::size_t end = std::min(count, begin + (std::size_t{1} << kBaseShift));
    levels_[0][at >> kBaseShift] = Scan(values, begin, end - 1);
    for (int level = 1; level < kLevels; ++level) {
      PodArray<MinMax>& entries = levels_[static_cast<std::size_t>(level)];
      if ((at >> ShiftOf(level)) >= entries.size()) break;
      const PodArray<MinMax>& below = levels_[static_cast<std::size_t>(level - 1)];
      const std::size_t first = (at >> ShiftOf(level)) << kFanShift;
      const std::size_t last = std::min(below.size(), first + (std::size_t{1} << kFanShift)) - 1;
      MinMax m = below[first];
      for (std::size_t e = first + 1; e <= last; ++e) {
        m.min = std::min(m.min, below[e].min);
        m.max = std::max(m.max, below[e].max);
      }
      entries[at >> ShiftOf(level)] = m;
    }
  }

  void Release() {
    for (PodArray<MinMax>& entries : levels_) entries.Release();
  }

  // Minimum and maximum of values[first .. last] (first <= last < count).
  template <typename Values>
  MinMax Query(const Values& values, std::size_t first, std::size_t last) const {
    // A range inside one level-0 entry's width is read directly.
    if (last - first < (std::size_t{1} << kBaseShift)) return Scan(values, first, last);
    MinMax result{values[first], values[first]};
    QueryLevel(values, first, last + 1, kLevels - 1, result);
    return result;
  }

  // The largest index in first .. last whose value fails `inside`, or -1
  // when every value passes. `inside` must hold on an interval of values
  // (a value between two passing values passes), so an entry whose minimum
  // and maximum pass holds only passing values.
  template <typename Values, typename Inside>
  long long LastOutside(const Values& values, std::size_t first, std::size_t last,
                        const Inside& inside) const {
    return LastOutside(values, first, last, inside, kLevels - 1);
  }

  // Level 0's entries (one per 128 values, the last maybe partial), for
  // searches over values in order.
  std::size_t BaseEntries() const { return levels_[0].size(); }
  const MinMax& BaseEntry(std::size_t entry) const { return levels_[0][entry]; }

  std::size_t StorageBytes() const {
    std::size_t bytes = 0;
    for (const PodArray<MinMax>& entries : levels_) bytes += entries.StorageBytes();
    return bytes;
  }

 private:
  template <typename Values>
  static MinMax Scan(const Values& values, std::size_t first, std::size_t last) {
    MinMax m{values[first], values[first]};
    for (std::size_t i = first + 1; i <= last; ++i) {
      const double v = values[i];
      if (v < m.min) m.min = v;
      if (v > m.max) m.max = v;
    }
    return m;
  }

  // Widens m by values[0 .. n) one by one, as Include does.
  template <typename Each>
  static MinMax Fold(MinMax m, const double* values, std::size_t n, Each&& each) {
    for (std::size_t i = 0; i < n; ++i) {
      const double v = values[i];
      if (v < m.min) m.min = v;
      if (v > m.max) m.max = v;
      each(v);
    }
    return m;
  }

  // Level-0 entry `entry` is complete: folds it into level 1, and each
  // entry that this completes into the level above.
  void Completed(std::size_t entry) {
    for (int level = 1; level < kLevels; ++level) {
      FoldUp(level, entry);
      if ((entry & ((std::size_t{1} << kFanShift) - 1)) != (std::size_t{1} << kFanShift) - 1)
        return;
      entry >>= kFanShift;
    }
  }
  // Folds entry `entry` of the level below into its entry at `level`.
  void FoldUp(int level, std::size_t entry) {
    const MinMax& sub = levels_[static_cast<std::size_t>(level - 1)][entry];
    PodArray<MinMax>& entries = levels_[static_cast<std::size_t>(level)];
    const std::size_t up = entry >> kFanShift;
    if (up == entries.size()) {
      entries.push_back(sub);
      return;
    }
    MinMax& m = entries[up];
    if (sub.min < m.min) m.min = sub.min;
    if (sub.max > m.max) m.max = sub.max;
  }

  // Folds values[begin .. end) into `result`, using entries of `level` and
  // below for the whole entries inside the range.
  template <typename Values>
  void QueryLevel(const Values& values, std::size_t begin, std::size_t end, int level,
                  MinMax& result) const {
    if (level < 0) {
      for (std::size_t i = begin; i < end; ++i) {
        const double v = values[i];
        if (v < result.min) result.min = v;
        if (v > result.max) result.max = v;
      }
      return;
    }
    const std::size_t shift = ShiftOf(level);
    const std::size_t size = std::size_t{1} << shift;
    const std::size_t innerBegin = (begin + size - 1) >> shift;
    const std::size_t innerEnd = end >> shift;
    if (innerBegin >= innerEnd) {
      QueryLevel(values, begin, end, level - 1, result);
      return;
    }
    const PodArray<MinMax>& entries = levels_[static_cast<std::size_t>(level)];
    // A piece at either end is read only when the entry holding it could
    // widen the result: an entry strictly inside what the result holds
    // anyway (the inner entries included) has no value that becomes the
    // minimum or the maximum, nor one equal to them, so reading its piece
    // would change no bit of the answer. The entry before the inner ones
    // is complete; the one after them is used when complete (level 0's
    // entries always hold every value appended).
    if (begin < innerBegin << shift) {
      MinMax bound = result;
      for (std::size_t e = innerBegin; e < innerEnd; ++e) {
        bound.min = std::min(bound.min, entries[e].min);
        bound.max = std::max(bound.max, entries[e].max);
      }
      if (!StrictlyInside(entries[innerBegin - 1], bound))
        QueryLevel(values, begin, innerBegin << shift, level - 1, result);
    }
    for (std::size_t e = innerBegin; e < innerEnd; ++e) {
      if (entries[e].min < result.min) result.min = entries[e].min;
      if (entries[e].max > result.max) result.max = entries[e].max;
    }
    if (innerEnd << shift < end) {
      const bool complete = level == 0 || (innerEnd + 1) << shift <= values.size();
      if (!complete || !StrictlyInside(entries[innerEnd], result))
        QueryLevel(values, innerEnd << shift, end, level - 1, result);
    }
  }
  static bool StrictlyInside(const MinMax& m, const MinMax& bound) {
    return m.min > bound.min && m.max < bound.max;
  }

  // LastOutside restricted to entries of `level` and below.
  template <typename Values, typename Inside>
  long long LastOutside(const Values& values, std::size_t first, std::size_t last,
                        const Inside& inside, int level) const {
    std::size_t end = last + 1;
    while (end > first) {
      if (level < 0) {
        if (!inside(values[end - 1])) return static_cast<long long>(end - 1);
        --end;
        continue;
      }
      const std::size_t shift = ShiftOf(level);
      const std::size_t size = std::size_t{1} << shift;
      const std::size_t begin = std::max(first, ((end - 1) >> shift) << shift);
      if (begin == ((end - 1) >> shift) << shift && end - begin == size) {
        const MinMax& m = levels_[static_cast<std::size_t>(level)][(end - 1) >> shift];
        if (inside(m.min) && inside(m.max)) {
          end = begin;
          continue;
        }
      }
      const long long found = LastOutside(values, begin, end - 1, inside, level - 1);
      if (found >= 0) return found;
      end = begin;
    }
    return -1;
  }

  std::array<PodArray<MinMax>, kLevels> levels_;
};

}  // namespace kolva::chart
