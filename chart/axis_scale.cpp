// SPDX-License-Identifier: MIT
#include "chart/axis_scale.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <utility>

namespace kolva::chart {

long double RoundHalfEven(long double value) {
  if (!std::isfinite(value)) return value;
  const long double below = std::floor(value);
  const long double fraction = value - below;  // exact in extended
  if (fraction > 0.5L) return below + 1.0L;
  if (fraction < 0.5L) return below;
  return std::fmod(below, 2.0L) == 0.0L ? below : below + 1.0L;
}

int RoundToInt(long double value) {
  if (std::isnan(value)) return INT_MIN;
  const long double rounded = RoundHalfEven(value);
  if (rounded >= static_cast<long double>(INT_MAX)) return INT_MAX;
  if (rounded <= static_cast<long double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(rounded);
}

int ValueToPixel(const AxisMapping& m, double value) {
  if (m.rangeSpan == 0.0) return (m.low + m.high) / 2;
  const long double length = static_cast<long double>(m.high) - m.low;
  const long double offset = static_cast<long double>(value) - m.rangeMin;
  if (m.horizontal) {
    const long double t = RoundHalfEven(length * offset / m.rangeSpan);
    return RoundToInt(m.inverted ? m.high - t : m.low + t);
  }
  const long double t = RoundHalfEven(-length * offset / m.rangeSpan);
  return RoundToInt(m.inverted ? m.low - t : m.high + t);
}

PixelMapper::PixelMapper(const AxisMapping& m)
    : mapping_(m), zeroSpan_(m.rangeSpan == 0.0), middle_((m.low + m.high) / 2) {
  const double length = static_cast<double>(m.high) - m.low;  // exact
  // The vertical axis maps the minimum to the bottom: t is negated there,
  // as ValueToPixel negates the length.
  scale_ = (m.horizontal ? length : -length) / m.rangeSpan;
  absScale_ = std::fabs(scale_);
  if (m.horizontal) {
    base_ = m.inverted ? m.high : m.low;
    sign_ = m.inverted ? -1 : 1;
  } else {
    base_ = m.inverted ? m.low : m.high;
    sign_ = m.inverted ? -1 : 1;
  }
}

double PixelToValue(const AxisMapping& m, int pixel) {
  const long double length = static_cast<long double>(m.high) - m.low;
  if (length < 1.0L) return 0.0;
  const long double a = m.inverted ? static_cast<long double>(m.high) - pixel
                                   : static_cast<long double>(pixel) - m.low;
  if (m.horizontal) return static_cast<double>(m.rangeSpan * a / length + m.rangeMin);
  return static_cast<double>(m.rangeMax - a * m.rangeSpan / length);
}

double AutoRangeValue(std::span<const AxisSeriesExtent> series, bool minimum) {
  bool found = false;
  double result = 0.0;
  for (const AxisSeriesExtent& s : series) {
    if (s.count <= 0) continue;
    const double value = minimum ? s.minimum : s.maximum;
    if (!found || (minimum ? value < result : value > result)) result = value;
    found = true;
  }
  return result;
}

AxisRange RangeWithMargins(const AxisMapping& mapping, int lowMargin, int highMargin) {
  if (lowMargin == 0 && highMargin == 0) return {mapping.rangeMin, mapping.rangeMax};
  AxisMapping shrunk = mapping;
  shrunk.low += lowMargin;
  shrunk.high -= highMargin;
  // Horizontal: the minimum sits at the left edge; vertical: at the bottom.
  const int minPixel = mapping.horizontal ? mapping.low : mapping.high;
  const int maxPixel = mapping.horizontal ? mapping.high : mapping.low;
  AxisRange range{PixelToValue(shrunk, minPixel), PixelToValue(shrunk, maxPixel)};
  if (range.minimum > range.maximum) std::swap(range.minimum, range.maximum);
  return range;
}

AxisRange ManualRangeOf(double a, double b) {
  AxisRange range = a > b ? AxisRange{b, a} : AxisRange{a, b};
  if (static_cast<long double>(range.maximum) - range.minimum < kMinAxisSpan) {
    range.minimum = a;
    range.maximum = static_cast<double>(static_cast<long double>(b) + kMinAxisSpan);
  }
  return range;
}

int MaxLabelCount(int labelSize, int length, int labelsSeparation) {
  long double size = labelSize;
  if (labelsSeparation > 0) size += RoundHalfEven(labelsSeparation * 0.01L * size);
  if (size <= 0.0L) return 1;
  return RoundToInt(length / size);
}

double NextNiceStep(double x) {
  // Not a step at all: answer it unchanged rather than search forever.
  if (!std::isfinite(x) || x <= 0.0) return x;
  if (x >= 10.0) return static_cast<double>(NextNiceStep(static_cast<double>(x / 10.0L)) * 10.0L);
  if (x < 1.0) return static_cast<double>(NextNiceStep(static_cast<double>(x * 10.0L)) * 0.1L);
  if (x < 2.0) return 2.0;
  if (x < 5.0) return 5.0;
  return 10.0;
}

double LabelStep(int maxLabelCount, double increment, double rangeSpan, int labelsSeparation) {
  if (maxLabelCount <= 0) return kMinLabelStep;
  double step = increment > 0.0 ? increment : (std::fabs(rangeSpan) >= 1.0 ? 1.0 : kMinLabelStep);
  if (labelsSeparation > 0) {
    long double k = static_cast<long double>(maxLabelCount) + 1.0L;
    // An infinite or NaN span would grow the step without end; the search
    // also stops once the step itself is no longer finite.
    while (k > maxLabelCount && std::isfinite(step)) {
      const double q = static_cast<double>(static_cast<long double>(rangeSpan) / step);
      if (std::fabs(q) < kLabelQuotientLimit) {
        k = RoundHalfEven(q);
        if (k > maxLabelCount) step = NextNiceStep(step);
      } else {
        step = NextNiceStep(step);
      }
    }
  }
  return step > kMinLabelStep ? step : kMinLabelStep;
}

namespace {

// One step down, subtracted in extended and stored as a double.
double StepDown(double value, double step) {
  return static_cast<double>(static_cast<long double>(value) - step);
}

bool TooFine(const LabelLoop& loop) {
  const long double top = static_cast<long double>(loop.rangeMax) / loop.step;
  const long double span = (static_cast<long double>(loop.rangeMax) - loop.rangeMin) / loop.step;
  // Written as "not below" so that a NaN quotient counts as too fine.
  return !(std::fabs(top) < kLabelQuotientLimit) || !(std::fabs(span) < kMaxLabelsPerAxis);
}

}  // namespace

std::vector<double> LabelValues(const LabelLoop& loop) {
  std::vector<double> values;
  if (!(loop.step > 0.0) || !(loop.rangeMax >= loop.rangeMin) || TooFine(loop)) return values;
  double v = loop.rangeMax;
  if (loop.rangeMin != loop.rangeMax && loop.roundFirstLabel) {
    // |rangeMax / step| is below 2^31 here, so the truncation cannot overflow.
    const long double q = static_cast<long double>(loop.rangeMax) / loop.step;
    v = static_cast<double>(static_cast<std::int64_t>(q) * static_cast<long double>(loop.step));
  }
  if (loop.labelsOnAxis) {
    while (v > loop.rangeMax) v = StepDown(v, loop.step);
    for (; v >= loop.rangeMin; v = StepDown(v, loop.step)) values.push_back(v);
  } else {
    while (v >= loop.rangeMax) v = StepDown(v, loop.step);
    for (; v > loop.rangeMin; v = StepDown(v, loop.step)) values.push_back(v);
  }
  return values;
}

AxisRange LabelEnds(double rangeMin, double rangeMax, double step, bool roundFirstLabel) {
  if (!roundFirstLabel) return {rangeMin, rangeMax};
  const long double s = step;
  return {static_cast<double>(std::trunc(rangeMin / s) * s),
          static_cast<double>(std::trunc(rangeMax / s) * s)};
}

}  // namespace kolva::chart
