// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "chart/axis_exception.h"
#include "chart/axis_host.h"
#include "chart/axis_layout.h"
#include "chart/axis_scale.h"
#include "chart/axis_title.h"
#include "chart/chart_font.h"
#include "chart/chart_pen.h"
#include "chart/geometry.h"
#include "chart/store_changed.h"
#include "chart/text_metrics.h"

namespace kolva::chart {

enum TAxisLabelStyle : int { talAuto, talNone, talValue, talMark, talText };

// One axis of a chart: its range (automatic from the series drawn against
// it, or manual), the mapping between values and pixels along one edge of
// ChartRect, the label step and texts, the room it takes when the chart lays
// itself out, and its drawing. Scaling is linear: Logarithmic is stored and
// checked but does not change the mapping, and date-time, mark and text
// labels are not drawn (no series of this program asks for them).
//
// Every setter stores a changed value and asks the chart to repaint; an
// equal value does nothing. Invalid values raise AxisException or
// ChartException with the engine's message and keep the old value.
class TCustomChartAxis {
 public:
  TCustomChartAxis(AxisHost& host, AxisSide side);
  virtual ~TCustomChartAxis() = default;
  TCustomChartAxis(const TCustomChartAxis&) = delete;
  TCustomChartAxis& operator=(const TCustomChartAxis&) = delete;

  // --- Range -----------------------------------------------------------
  bool Automatic() const { return automatic_; }
  bool AutomaticMaximum() const { return automaticMaximum_; }
  bool AutomaticMinimum() const { return automaticMinimum_; }
  double Maximum() const { return maximum_; }
  double Minimum() const { return minimum_; }
  double Increment() const { return increment_; }
  bool Inverted() const { return inverted_; }
  bool Logarithmic() const { return logarithmic_; }

  // Also sets AutomaticMinimum and AutomaticMaximum, except while loading.
  void SetAutomatic(bool value);
  // Setting either to false also sets Automatic to false.
  void SetAutomaticMaximum(bool value);
  void SetAutomaticMinimum(bool value);
  // "Axis Maximum Value must be >= Minimum" below Minimum (not while loading).
  void SetMaximum(double value);
  // "Axis Minimum Value must be <= Maximum" above Maximum (not while loading).
  void SetMinimum(double value);
  // "Axis increment must be >= 0" when negative.
  void SetIncrement(double value);
  void SetInverted(bool value);
  // true raises "DateTime Axis cannot be Logarithmic" on a date-time axis and
  // "Logarithmic Axis Min and Max values should be >= 0" when a freshly
  // recalculated range end is negative.
  void SetLogarithmic(bool value);

  // --- Labels ----------------------------------------------------------
  bool Labels() const { return labels_; }
  int LabelsAngle() const { return labelsAngle_; }
  TFont& LabelsFont() { return labelsFont_; }
  const TFont& LabelsFont() const { return labelsFont_; }
  bool LabelsOnAxis() const { return labelsOnAxis_; }
  int LabelsSeparation() const { return labelsSeparation_; }
  int LabelsSize() const { return labelsSize_; }
  TAxisLabelStyle LabelStyle() const { return labelStyle_; }
  bool LabelsMultiLine() const { return labelsMultiLine_; }
  const std::string& AxisValuesFormat() const { return axisValuesFormat_; }
  const std::string& DateTimeFormat() const { return dateTimeFormat_; }
  bool ExactDateTime() const { return exactDateTime_; }
  bool RoundFirstLabel() const { return roundFirstLabel_; }

  void SetLabels(bool value);
  // 0 to 360, 360 stored as 0; otherwise ChartException
  // "Axis Labels Angle must be between 0 and 359 degrees".
  void SetLabelsAngle(int value);
  void SetLabelsOnAxis(bool value);
  // "Labels Separation % must be greater than 0" when negative (0 is fine).
  void SetLabelsSeparation(int value);
  void SetLabelsSize(int value);
  void SetLabelStyle(TAxisLabelStyle value);
  void SetLabelsMultiLine(bool value);
  void SetAxisValuesFormat(const std::string& value);
  void SetDateTimeFormat(const std::string& value);
  void SetExactDateTime(bool value);
  void SetRoundFirstLabel(bool value);

  // --- Ticks, grid, axis line, title ----------------------------------
  bool TickOnLabelsOnly() const { return tickOnLabelsOnly_; }
  TDarkGrayPen& Ticks() { return ticks_; }
  const TDarkGrayPen& Ticks() const { return ticks_; }
  int TickLength() const { return tickLength_; }
  TDarkGrayPen& MinorTicks() { return minorTicks_; }
  const TDarkGrayPen& MinorTicks() const { return minorTicks_; }
  int MinorTickLength() const { return minorTickLength_; }
  int MinorTickCount() const { return minorTickCount_; }
  TDarkGrayPen& TicksInner() { return ticksInner_; }
  const TDarkGrayPen& TicksInner() const { return ticksInner_; }
  int TickInnerLength() const { return tickInnerLength_; }
  TDottedGrayPen& Grid() { return grid_; }
  const TDottedGrayPen& Grid() const { return grid_; }
  bool GridCentered() const { return gridCentered_; }
  TChartAxisPen& Axis() { return axis_; }
  const TChartAxisPen& Axis() const { return axis_; }
  TChartAxisTitle& Title() { return title_; }
  const TChartAxisTitle& Title() const { return title_; }
  int TitleSize() const { return titleSize_; }
  bool Visible() const { return visible_; }

  void SetTickOnLabelsOnly(bool value);
  void SetTickLength(int value);
  void SetMinorTickLength(int value);
  void SetMinorTickCount(int value);
  void SetTickInnerLength(int value);
  void SetGridCentered(bool value);
  void SetTitleSize(int value);
  void SetVisible(bool value);

  // --- Working state of the current paint ------------------------------
  AxisSide Side() const { return side_; }
  bool IsHorizontal() const { return side_ == AxisSide::kTop || side_ == AxisSide::kBottom; }
  bool OnOtherSide() const {
    return side_ == AxisSide::kTop || side_ == AxisSide::kRight || side_ == AxisSide::kDepth;
  }
  bool IsDepthAxis() const { return side_ == AxisSide::kDepth; }
  bool IsDateTimeAxis() const { return isDateTimeAxis_; }
  double RangeMin() const { return rangeMin_; }
  double RangeMax() const { return rangeMax_; }
  double RangeSpan() const { return rangeSpan_; }
  int AxisLinePos() const { return axisLinePos_; }
  int LabelsPos() const { return labelsPos_; }
  int TitlePos() const { return titlePos_; }

  // --- Operations --------------------------------------------------------
  // Fills the automatic ends from the series (without the setters' checks
  // or a repaint request), then the working range.
  void RecalcRange();
  // Takes the title, labels and tick bands off `rect` on the axis' side;
  // sets TitlePos and LabelsPos. Measures with the host's canvas.
  void ReserveSpace(TRect& rect);
  // Widens the working range so that the given pixel margins at the low
  // (left/top) and high (right/bottom) ends of ChartRect stay free.
  void ApplySeriesMargins(int lowMargin, int highMargin);
  // Sets AxisLinePos from ChartRect, then draws title, labels, ticks, grid
  // and the axis line on the host's canvas.
  void DrawAxis();

  // --- The same steps for a layout computed ahead of the paint -------------
  // Minimum and Maximum as RecalcRange would fill them; changes nothing.
  AxisRange RecalculatedEnds() const;
  // ReserveSpace for `layout`: takes the bands off `rect` and records their
  // sizes and edges in `layout`, whose range is used; `chartRect` is the
  // plot the label step is measured against.
  void ReserveSpace(TRect& rect, const TRect& chartRect, TAxisLayout& layout, TextMetrics& metrics);
  // The label step of `layout`'s range along `chartRect`.
  double LabelStep(const TAxisLayout& layout, const TRect& chartRect, TextMetrics& metrics);
  int MaxLabelsWidth(const TAxisLayout& layout, const TRect& chartRect, TextMetrics& metrics);
  // Makes the layout's range and positions the axis' working state, and its
  // automatic ends Minimum and Maximum, as the paint that draws it does.
  void TakeLayout(const TAxisLayout& layout);
  // Draws title, labels, ticks, grid and the axis line where `layout` puts
  // them, against the host's ChartRect.
  void DrawAxis(const TAxisLayout& layout);

  int ValueToPixel(double value) const;
  double PixelToValue(int pixel) const;
  // The working range and ChartRect's extent along this axis.
  AxisMapping Mapping() const;

  // The label step for the current ChartRect, measured with LabelsFont.
  double LabelStep();
  // The label text of a value: AxisValuesFormat, then the chart's
  // OnGetAxisLabel.
  std::string LabelTextOf(double value);
  // The labels band width of a vertical axis, measured with LabelsFont.
  int MaxLabelsWidth();
  // The ticks, grid lines and value labels that DrawAxis draws with `step`,
  // laid out against the current ChartRect (texts measured in the canvas'
  // current font).
  std::vector<AxisMark> ValueMarks(double step);
  // LabelStyle with talAuto resolved from the series drawn against the axis.
  TAxisLabelStyle ResolvedLabelStyle() const;

  // Both ends at once, in either order, with the automatic flags off and a
  // span of at least kMinAxisSpan.
  void SetManualRange(double a, double b);

 protected:
  AxisHost& Host() const { return host_; }

 private:
  template <typename T>
  void Store(T& field, const T& value) {
    if (StoreChanged(field, value)) host_.Invalidate();
  }
  int LabelSizeOf(double value, TextMetrics& metrics);
  // The working state as a layout (without a label step).
  TAxisLayout WorkingLayout() const;
  std::vector<AxisMark> ValueMarks(double step, const TAxisLayout& layout);
  std::string LabelText(double value, bool withEvent);

  AxisHost& host_;
  AxisSide side_;

  bool automatic_ = true;
  bool automaticMaximum_ = true;
  bool automaticMinimum_ = true;
  double maximum_ = 0.0;
  double minimum_ = 0.0;
  double increment_ = 0.0;
  bool inverted_ = false;
  bool logarithmic_ = false;

  bool labels_ = true;
  int labelsAngle_ = 0;
  TFont labelsFont_;
  bool labelsOnAxis_ = true;
  int labelsSeparation_ = 10;
  int labelsSize_ = 0;
  TAxisLabelStyle labelStyle_ = talAuto;
  bool labelsMultiLine_ = false;
  std::string axisValuesFormat_ = "#,##0.###";
  std::string dateTimeFormat_;
  bool exactDateTime_ = true;
  bool roundFirstLabel_ = true;

  bool tickOnLabelsOnly_ = true;
  TDarkGrayPen ticks_;
  int tickLength_ = 4;
  TDarkGrayPen minorTicks_;
  int minorTickLength_ = 2;
  int minorTickCount_ = 3;
  TDarkGrayPen ticksInner_;
  int tickInnerLength_ = 0;
  TDottedGrayPen grid_;
  bool gridCentered_ = false;
  TChartAxisPen axis_;
  TChartAxisTitle title_;
  int titleSize_ = 0;
  bool visible_;

  bool isDateTimeAxis_ = false;
  double rangeMin_ = 0.0;
  double rangeMax_ = 0.0;
  double rangeSpan_ = 0.0;
  int axisLinePos_ = 0;
  int labelsPos_ = 0;
  int titlePos_ = 0;
};

// A side axis (left, right, top or bottom).
class TChartAxis : public TCustomChartAxis {
 public:
  TChartAxis(AxisHost& host, AxisSide side) : TCustomChartAxis(host, side) {}
};

// The depth axis: hidden by default, drawn only in 3D.
class TChartDepthAxis : public TCustomChartAxis {
 public:
  explicit TChartDepthAxis(AxisHost& host) : TCustomChartAxis(host, AxisSide::kDepth) {}
};

}  // namespace kolva::chart
