// SPDX-License-Identifier: MIT
// The axis' part of the chart's layout and paint: the bands it takes off the
// plotting rectangle, and the drawing of what the layout functions computed.
#include <vector>

#include "chart/axis.h"
#include "chart/canvas.h"

namespace kolva::chart {

void TCustomChartAxis::ReserveSpace(TRect& rect, const TRect& chartRect, TAxisLayout& layout,
                                    TextMetrics& metrics) {
  if (IsDepthAxis()) return;  // only a 3D chart gives the depth axis room
  if (!title_.Caption().empty()) {
    int size = titleSize_;
    if (size == 0) {
      const bool level = title_.Angle() == 0 || title_.Angle() == 180;
      size = IsHorizontal() == level ? metrics.FontHeight(title_.Font())
                                     : metrics.TextWidth(title_.Font(), title_.Caption());
    }
    layout.titleSize = size;
    layout.titlePos = ShrinkSide(rect, side_, size);
  }
  if (labels_) {
    int size = labelsSize_;
    if (size == 0) {
      const bool level = labelsAngle_ == 0 || labelsAngle_ == 180;
      size = IsHorizontal() == level ? metrics.FontHeight(labelsFont_)
                                     : MaxLabelsWidth(layout, chartRect, metrics);
    }
    layout.labelsSize = size;
    layout.labelsPos = ShrinkSide(rect, side_, size);
  }
  const int ticks = TickBandSize({axis_.Visible(), axis_.Width(), ticks_.Visible(), tickLength_,
                                  minorTicks_.Visible(), minorTickLength_, host_.WallSize(*this)});
  if (ticks > 0) {
    layout.tickSize = ticks;
    ShrinkSide(rect, side_, ticks);
  }
}

void TCustomChartAxis::ReserveSpace(TRect& rect) {
  CanvasTextMetrics metrics(host_.Canvas());
  TAxisLayout layout = WorkingLayout();
  ReserveSpace(rect, host_.ChartRect(), layout, metrics);
  titlePos_ = layout.titlePos;
  labelsPos_ = layout.labelsPos;
}

namespace {

void UseMarkPen(TCanvas3D& canvas, const TCustomChartAxis& axis, AxisMarkKind kind) {
  switch (kind) {
    case AxisMarkKind::kTick:
      canvas.UsePen(axis.Ticks());
      break;
    case AxisMarkKind::kGrid:
      canvas.UsePen(axis.Grid());
      break;
    case AxisMarkKind::kInnerTick:
      canvas.UsePen(axis.TicksInner());
      break;
    case AxisMarkKind::kMinorTick:
      canvas.UsePen(axis.MinorTicks());
      break;
    case AxisMarkKind::kLabel:
      break;
  }
}

// Texts go without background over the panel colour.
void PrepareText(TCanvas3D& canvas, const TFont& font, TColor panelColor) {
  canvas.Font().Assign(font);
  canvas.Brush().SetColor(panelColor);
  canvas.Brush().SetStyle(bsClear);
  canvas.SetBackgroundMode(kBackModeTransparent);
}

void DrawMarks(TCanvas3D& canvas, const TCustomChartAxis& axis, TColor panelColor,
               const std::vector<AxisMark>& marks) {
  PrepareText(canvas, axis.LabelsFont(), panelColor);
  bool penSet = false;
  AxisMarkKind penKind = AxisMarkKind::kLabel;
  for (const AxisMark& mark : marks) {
    if (mark.kind == AxisMarkKind::kLabel) {
      canvas.SetTextAlign(mark.align);
      canvas.TextOut(mark.x0, mark.y0, mark.text);
      continue;
    }
    if (!penSet || mark.kind != penKind) {
      UseMarkPen(canvas, axis, mark.kind);
      penSet = true;
      penKind = mark.kind;
    }
    canvas.Segment(mark.x0, mark.y0, mark.x1, mark.y1);
  }
}

}  // namespace

std::vector<AxisMark> TCustomChartAxis::ValueMarks(double step) {
  TAxisLayout layout = WorkingLayout();
  layout.axisLinePos = AxisLineOf(host_.ChartRect(), side_);
  return ValueMarks(step, layout);
}

std::vector<AxisMark> TCustomChartAxis::ValueMarks(double step, const TAxisLayout& layout) {
  const std::vector<double> values =
      LabelValues({layout.rangeMin, layout.rangeMax, step, roundFirstLabel_, labelsOnAxis_});
  AxisMarkStyle style;
  style.chartRect = host_.ChartRect();
  const AxisMapping mapping = MappingOf(side_, layout, style.chartRect);
  std::vector<AxisLabel> labels;
  labels.reserve(values.size());
  for (double v : values) {
    labels.push_back(
        {v, kolva::chart::ValueToPixel(mapping, v), labels_ ? LabelTextOf(v) : std::string()});
  }
  style.axisLinePos = layout.axisLinePos;
  style.labelsPos = layout.labelsPos;
  style.fontHeight = host_.Canvas().FontHeight();
  style.wallSize = host_.WallSize(*this);
  style.rangeMin = layout.rangeMin;
  style.rangeMax = layout.rangeMax;
  style.ticks = ticks_.Visible();
  style.tickLength = tickLength_;
  style.grid = grid_.Visible();
  style.gridCentered = gridCentered_;
  style.innerTicks = ticksInner_.Visible();
  style.innerTickLength = tickInnerLength_;
  style.minorTicks = minorTicks_.Visible();
  style.minorTickLength = minorTickLength_;
  style.minorTickCount = minorTickCount_;
  style.labels = labels_;
  style.tickOnLabelsOnly = tickOnLabelsOnly_;
  return LayoutAxisMarks(side_, style, labels);
}

void TCustomChartAxis::DrawAxis() {
  if (IsDepthAxis()) return;  // drawn only in 3D
  TAxisLayout layout = WorkingLayout();
  layout.labelStep = LabelStep();
  layout.axisLinePos = AxisLineOf(host_.ChartRect(), side_);
  axisLinePos_ = layout.axisLinePos;
  DrawAxis(layout);
}

void TCustomChartAxis::DrawAxis(const TAxisLayout& layout) {
  if (IsDepthAxis()) return;  // drawn only in 3D
  TCanvas3D& canvas = host_.Canvas();
  const std::vector<AxisSeriesExtent> series = host_.SeriesOnAxis(*this);
  isDateTimeAxis_ = !series.empty() && series.front().dateTime;
  canvas.Font().Assign(labelsFont_);
  const double step = layout.labelStep;
  const TRect r = host_.ChartRect();

  if (!title_.Caption().empty()) {
    PrepareText(canvas, title_.Font(), host_.PanelColor());
    const int along = IsHorizontal() ? (r.Left + r.Right) / 2 : (r.Top + r.Bottom) / 2;
    const AxisMark mark =
        AxisTextMark(side_, along, layout.titlePos, canvas.FontHeight(), title_.Caption());
    canvas.SetTextAlign(mark.align);
    canvas.TextOut(mark.x0, mark.y0, mark.text);
  }
  if (step > 0.0 && layout.rangeMax >= layout.rangeMin && ResolvedLabelStyle() == talValue) {
    // The marks are placed with the labels font's height: the title may
    // have left its own font selected.
    canvas.Font().Assign(labelsFont_);
    DrawMarks(canvas, *this, host_.PanelColor(), ValueMarks(step, layout));
  }
  if (axis_.Visible()) {
    canvas.UsePen(axis_);
    if (IsHorizontal()) {
      canvas.HorizontalSegment(r.Left, r.Right, layout.axisLinePos);
    } else {
      canvas.VerticalSegment(layout.axisLinePos, r.Top, r.Bottom);
    }
  }
}

}  // namespace kolva::chart
