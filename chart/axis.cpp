// SPDX-License-Identifier: MIT
#include "chart/axis.h"

#include <algorithm>
#include <vector>

#include "chart/canvas.h"
#include "chart/number_format.h"

namespace kolva::chart {

TCustomChartAxis::TCustomChartAxis(AxisHost& host, AxisSide side)
    : host_(host),
      side_(side),
      labelsFont_(DefaultChartFont()),
      title_(side == AxisSide::kLeft    ? 90
             : side == AxisSide::kRight ? 270
                                        : 0),
      visible_(side != AxisSide::kDepth) {
  auto repaint = [this] { host_.Invalidate(); };
  labelsFont_.OnChange.Set(repaint);
  ticks_.OnChange.Set(repaint);
  minorTicks_.OnChange.Set(repaint);
  ticksInner_.OnChange.Set(repaint);
  grid_.OnChange.Set(repaint);
  axis_.OnChange.Set(repaint);
  title_.OnChange.Set(repaint);
}

// --- Range setters -------------------------------------------------------

void TCustomChartAxis::SetAutomatic(bool value) {
  if (automatic_ == value) return;
  automatic_ = value;
  if (!host_.Loading()) {
    automaticMinimum_ = value;
    automaticMaximum_ = value;
  }
  host_.Invalidate();
}

// Turning one end to manual turns Automatic off by itself: the other end
// keeps its own flag.
void TCustomChartAxis::SetAutomaticMaximum(bool value) {
  Store(automaticMaximum_, value);
  if (!value) Store(automatic_, false);
}

void TCustomChartAxis::SetAutomaticMinimum(bool value) {
  Store(automaticMinimum_, value);
  if (!value) Store(automatic_, false);
}

void TCustomChartAxis::SetMaximum(double value) {
  if (maximum_ == value) return;
  if (value < minimum_ && !host_.Loading()) {
    throw AxisException("Axis Maximum Value must be >= Minimum");
  }
  Store(maximum_, value);
}

void TCustomChartAxis::SetMinimum(double value) {
  if (minimum_ == value) return;
  if (value > maximum_ && !host_.Loading()) {
    throw AxisException("Axis Minimum Value must be <= Maximum");
  }
  Store(minimum_, value);
}

void TCustomChartAxis::SetIncrement(double value) {
  if (value < 0.0) throw AxisException("Axis increment must be >= 0");
  Store(increment_, value);
}

void TCustomChartAxis::SetInverted(bool value) {
  Store(inverted_, value);
}

void TCustomChartAxis::SetLogarithmic(bool value) {
  if (logarithmic_ == value) return;
  if (value) {
    const std::vector<AxisSeriesExtent> series = host_.SeriesOnAxis(*this);
    if (!series.empty() && series.front().dateTime) {
      throw AxisException("DateTime Axis cannot be Logarithmic");
    }
    RecalcRange();
    if (rangeMin_ < 0.0 || rangeMax_ < 0.0) {
      throw AxisException("Logarithmic Axis Min and Max values should be >= 0");
    }
  }
  Store(logarithmic_, value);
}

// --- Label and drawing setters --------------------------------------------

void TCustomChartAxis::SetLabels(bool value) {
  Store(labels_, value);
}
void TCustomChartAxis::SetLabelsAngle(int value) {
  Store(labelsAngle_, CheckedAxisAngle(value, "Axis Labels"));
}
void TCustomChartAxis::SetLabelsOnAxis(bool value) {
  Store(labelsOnAxis_, value);
}
void TCustomChartAxis::SetLabelsSeparation(int value) {
  if (value < 0) throw AxisException("Labels Separation % must be greater than 0");
  Store(labelsSeparation_, value);
}
void TCustomChartAxis::SetLabelsSize(int value) {
  Store(labelsSize_, value);
}
void TCustomChartAxis::SetLabelStyle(TAxisLabelStyle value) {
  Store(labelStyle_, value);
}
void TCustomChartAxis::SetLabelsMultiLine(bool value) {
  Store(labelsMultiLine_, value);
}
void TCustomChartAxis::SetAxisValuesFormat(const std::string& value) {
  Store(axisValuesFormat_, value);
}
void TCustomChartAxis::SetDateTimeFormat(const std::string& value) {
  Store(dateTimeFormat_, value);
}
void TCustomChartAxis::SetExactDateTime(bool value) {
  Store(exactDateTime_, value);
}
void TCustomChartAxis::SetRoundFirstLabel(bool value) {
  Store(roundFirstLabel_, value);
}
void TCustomChartAxis::SetTickOnLabelsOnly(bool value) {
  Store(tickOnLabelsOnly_, value);
}
void TCustomChartAxis::SetTickLength(int value) {
  Store(tickLength_, value);
}
void TCustomChartAxis::SetMinorTickLength(int value) {
  Store(minorTickLength_, value);
}
void TCustomChartAxis::SetMinorTickCount(int value) {
  Store(minorTickCount_, value);
}
void TCustomChartAxis::SetTickInnerLength(int value) {
  Store(tickInnerLength_, value);
}
void TCustomChartAxis::SetGridCentered(bool value) {
  Store(gridCentered_, value);
}
void TCustomChartAxis::SetTitleSize(int value) {
  Store(titleSize_, value);
}
void TCustomChartAxis::SetVisible(bool value) {
  Store(visible_, value);
}

// --- Range and mapping ------------------------------------------------------

AxisRange TCustomChartAxis::RecalculatedEnds() const {
  AxisRange ends{minimum_, maximum_};
  if (!automatic_ && !automaticMaximum_ && !automaticMinimum_) return ends;
  const std::vector<AxisSeriesExtent> series = host_.SeriesOnAxis(*this);
  if (automatic_ || automaticMaximum_) ends.maximum = AutoRangeValue(series, false);
  if (automatic_ || automaticMinimum_) ends.minimum = AutoRangeValue(series, true);
  return ends;
}

void TCustomChartAxis::RecalcRange() {
  const AxisRange ends = RecalculatedEnds();
  maximum_ = ends.maximum;
  minimum_ = ends.minimum;
  rangeMax_ = maximum_;
  rangeMin_ = minimum_;
  rangeSpan_ = RangeSpanOf(rangeMin_, rangeMax_);
}

TAxisLayout TCustomChartAxis::WorkingLayout() const {
  TAxisLayout layout;
  layout.inverted = inverted_;
  layout.minimum = minimum_;
  layout.maximum = maximum_;
  layout.rangeMin = rangeMin_;
  layout.rangeMax = rangeMax_;
  layout.rangeSpan = rangeSpan_;
  layout.titlePos = titlePos_;
  layout.labelsPos = labelsPos_;
  layout.axisLinePos = axisLinePos_;
  return layout;
}

void TCustomChartAxis::TakeLayout(const TAxisLayout& layout) {
  if (automatic_ || automaticMaximum_) maximum_ = layout.maximum;
  if (automatic_ || automaticMinimum_) minimum_ = layout.minimum;
  rangeMin_ = layout.rangeMin;
  rangeMax_ = layout.rangeMax;
  rangeSpan_ = layout.rangeSpan;
  titlePos_ = layout.titlePos;
  labelsPos_ = layout.labelsPos;
  axisLinePos_ = layout.axisLinePos;
}

AxisMapping TCustomChartAxis::Mapping() const {
  return MappingOf(side_, WorkingLayout(), host_.ChartRect());
}

void TCustomChartAxis::ApplySeriesMargins(int lowMargin, int highMargin) {
  const AxisRange range = RangeWithMargins(Mapping(), lowMargin, highMargin);
  rangeMin_ = range.minimum;
  rangeMax_ = range.maximum;
  rangeSpan_ = RangeSpanOf(rangeMin_, rangeMax_);
}

int TCustomChartAxis::ValueToPixel(double value) const {
  return kolva::chart::ValueToPixel(Mapping(), value);
}

double TCustomChartAxis::PixelToValue(int pixel) const {
  return kolva::chart::PixelToValue(Mapping(), pixel);
}

void TCustomChartAxis::SetManualRange(double a, double b) {
  SetAutomatic(false);
  SetAutomaticMinimum(false);
  SetAutomaticMaximum(false);
  const AxisRange range = ManualRangeOf(a, b);
  Store(minimum_, range.minimum);
  Store(maximum_, range.maximum);
}

// --- Labels -------------------------------------------------------------------

std::string TCustomChartAxis::LabelText(double value, bool withEvent) {
  std::string text = FormatValue(host_.ValueFormatter(), axisValuesFormat_, value);
  if (withEvent) host_.GetAxisLabel(*this, text);
  return text;
}

std::string TCustomChartAxis::LabelTextOf(double value) {
  return LabelText(value, true);
}

int TCustomChartAxis::LabelSizeOf(double value, TextMetrics& metrics) {
  const bool level = labelsAngle_ == 0 || labelsAngle_ == 180;
  if (IsHorizontal() == level) return metrics.TextWidth(labelsFont_, LabelTextOf(value));
  return metrics.FontHeight(labelsFont_);
}

double TCustomChartAxis::LabelStep(const TAxisLayout& layout, const TRect& chartRect,
                                   TextMetrics& metrics) {
  const int size =
      std::max(LabelSizeOf(layout.rangeMin, metrics), LabelSizeOf(layout.rangeMax, metrics));
  const int length = IsHorizontal() ? chartRect.Width() : chartRect.Height();
  const int count = MaxLabelCount(size, length, labelsSeparation_);
  return kolva::chart::LabelStep(count, increment_, layout.rangeSpan, labelsSeparation_);
}

double TCustomChartAxis::LabelStep() {
  CanvasTextMetrics metrics(host_.Canvas());
  // Measuring leaves LabelsFont selected, also when there is nothing to
  // measure.
  host_.Canvas().Font().Assign(labelsFont_);
  return LabelStep(WorkingLayout(), host_.ChartRect(), metrics);
}

TAxisLabelStyle TCustomChartAxis::ResolvedLabelStyle() const {
  if (labelStyle_ != talAuto) return labelStyle_;
  const std::vector<AxisSeriesExtent> series = host_.SeriesOnAxis(*this);
  if (series.empty()) return talNone;
  if (IsHorizontal() && series.front().textLabels) return talText;
  return talValue;
}

int TCustomChartAxis::MaxLabelsWidth(const TAxisLayout& layout, const TRect& chartRect,
                                     TextMetrics& metrics) {
  // Mark and text labels are not drawn by this engine, so they take no room.
  if (ResolvedLabelStyle() != talValue) return 0;
  AxisRange ends{layout.rangeMin, layout.rangeMax};
  if (roundFirstLabel_) {
    ends = LabelEnds(layout.rangeMin, layout.rangeMax, LabelStep(layout, chartRect, metrics), true);
  }
  const int widest = std::max(metrics.TextWidth(labelsFont_, LabelText(ends.maximum, false)),
                              metrics.TextWidth(labelsFont_, LabelText(ends.minimum, false)));
  return widest + metrics.TextWidth(labelsFont_, " ");
}

int TCustomChartAxis::MaxLabelsWidth() {
  CanvasTextMetrics metrics(host_.Canvas());
  host_.Canvas().Font().Assign(labelsFont_);
  return MaxLabelsWidth(WorkingLayout(), host_.ChartRect(), metrics);
}

}  // namespace kolva::chart
