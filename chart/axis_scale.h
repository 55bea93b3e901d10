// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>
#include <span>
#include <vector>

namespace kolva::chart {

// The smallest label step an axis uses (`MinLabelStep`).
inline constexpr double kMinLabelStep = 1e-12;
// The smallest span a manual range keeps (`MinAxisSpan`).
inline constexpr double kMinAxisSpan = 1e-10;
// A label step that divides the range or its top end into this many parts or
// more is too fine: the step search moves on, the value loop draws nothing.
inline constexpr double kLabelQuotientLimit = 2147483647.0;
// The value loop draws nothing when the range holds this many steps or more.
inline constexpr double kMaxLabelsPerAxis = 10000.0;

// Nearest integer, ties to even, whatever the floating-point rounding mode.
long double RoundHalfEven(long double value);

// RoundHalfEven into an int. Values beyond the int range saturate and a NaN
// gives the most negative int, so a value far off the plot stays far off it
// instead of wrapping onto it.
int RoundToInt(long double value);

// The span of a working range: the difference in extended precision,
// stored once as a double.
inline double RangeSpanOf(double rangeMin, double rangeMax) {
  return static_cast<double>(static_cast<long double>(rangeMax) - rangeMin);
}

// The working range of an axis and the pixel extent it maps onto: `low` and
// `high` are ChartRect's Left and Right for a horizontal axis, its Top and
// Bottom for a vertical one.
struct AxisMapping {
  double rangeMin = 0.0;
  double rangeMax = 0.0;
  double rangeSpan = 0.0;
  int low = 0;
  int high = 0;
  bool horizontal = true;
  bool inverted = false;
};

// Value to pixel in extended precision. A zero span maps every value to the
// middle of the extent ((low + high) div 2).
int ValueToPixel(const AxisMapping& mapping, double value);

// ValueToPixel computed in double precision, giving the same integer: a
// result whose unrounded position lies so near a rounding tie (or so far
// off) that double rounding could decide it differently is computed by
// ValueToPixel itself. Built once per paint from the axis' mapping.
class PixelMapper {
 public:
  PixelMapper() = default;
  explicit PixelMapper(const AxisMapping& mapping);
  int operator()(double value) const {
    if (zeroSpan_) return middle_;
    const double t = (value - mapping_.rangeMin) * scale_;
    const double size = std::fabs(t);
    // Beyond a billion pixels, or NaN: the exact path saturates as it does.
    if (!(size < 1e9)) return ValueToPixel(mapping_, value);
    const double below = std::floor(t);
    const double fraction = t - below;  // exact
    // Bound on the error of t against the extended computation: a few
    // hundred units in the last place of every term that entered it.
    const double tolerance =
        0x1p-44 * (size + absScale_ * (std::fabs(value) + std::fabs(mapping_.rangeMin))) + 0x1p-60;
    if (std::fabs(fraction - 0.5) <= tolerance) return ValueToPixel(mapping_, value);
    const int rounded = static_cast<int>(below) + (fraction > 0.5 ? 1 : 0);
    return base_ + sign_ * rounded;
  }
  const AxisMapping& Mapping() const { return mapping_; }

 private:
  AxisMapping mapping_;
  bool zeroSpan_ = true;
  int middle_ = 0;
  double scale_ = 0.0;  // pixels per value, negative for a vertical axis
  double absScale_ = 0.0;
  int base_ = 0;  // the pixel of rangeMin's side, to which sign_ * t is added
  int sign_ = 1;
};

// Pixel to value in extended precision, stored as a double. An extent under
// one pixel gives 0.
double PixelToValue(const AxisMapping& mapping, int pixel);

// One active series drawn against an axis, as the axis sees it: its point
// count, its smallest and largest value along the axis' direction, whether
// it carries point labels and whether those values are date-times.
struct AxisSeriesExtent {
  int count = 0;
  double minimum = 0.0;
  double maximum = 0.0;
  bool textLabels = false;
  bool dateTime = false;
};

// The automatic end of a range over the active series drawn against the
// axis, in list order: series without points do not count; with none
// counting the result is 0.
double AutoRangeValue(std::span<const AxisSeriesExtent> series, bool minimum);

struct AxisRange {
  double minimum = 0.0;
  double maximum = 0.0;
};

// The working range widened so that `lowMargin` pixels at the low end of the
// extent (left or top) and `highMargin` at the high end stay free of data.
// Zero margins leave the range exactly as it is.
AxisRange RangeWithMargins(const AxisMapping& mapping, int lowMargin, int highMargin);

// Both ends of a manual range from two values in either order; a span under
// kMinAxisSpan becomes a, b + kMinAxisSpan.
AxisRange ManualRangeOf(double a, double b);

// How many labels of `labelSize` pixels (grown by `labelsSeparation` percent)
// fit along `length` pixels; 1 when the size is not positive.
int MaxLabelCount(int labelSize, int length, int labelsSeparation);

// The member of 1, 2, 5, 10, 20, 50, ... (and 0.5, 0.2, 0.1, ...) after x.
double NextNiceStep(double x);

// The label step for at most `maxLabelCount` labels over `rangeSpan`,
// starting from `increment` when it is positive. Never below kMinLabelStep.
double LabelStep(int maxLabelCount, double increment, double rangeSpan, int labelsSeparation);

// The values to label, from the top of the range down, each the previous one
// less the step. Empty when the step is too fine for the range (the two
// guards) or the range is not a finite, ordered pair.
struct LabelLoop {
  double rangeMin = 0.0;
  double rangeMax = 0.0;
  double step = 1.0;
  bool roundFirstLabel = true;
  bool labelsOnAxis = true;
};
std::vector<double> LabelValues(const LabelLoop& loop);

// The first and last label values whose texts size a vertical axis' labels
// band: the range ends, rounded down to multiples of the step when
// `roundFirstLabel` is set.
AxisRange LabelEnds(double rangeMin, double rangeMax, double step, bool roundFirstLabel);

}  // namespace kolva::chart
