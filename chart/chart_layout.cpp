// SPDX-License-Identifier: MIT
#include "chart/chart_layout.h"

#include "chart/custom_chart.h"
#include "chart/mul_div.h"
#include "chart/text_metrics.h"

namespace kolva::chart {
namespace {

// Lays out one chart: `layout.chartRect` is the plot as each step leaves it.
class LayoutBuilder {
 public:
  LayoutBuilder(TCustomChart& chart, TextMetrics& metrics) : chart_(chart), metrics_(metrics) {}

  TChartLayout Build(const TRect& bounds) {
    layout_.chartBounds = bounds;
    Margins();
    TitlesAndLegend();
    AxesRect();
    AxisPositions();
    AxisLines();
    return std::move(layout_);
  }

 private:
  void Repair() {
    TRect& r = layout_.chartRect;
    r = RepairChartRect(r, layout_.chartBounds, chart_.Width(), chart_.Height());
    layout_.chartWidth = r.Right - r.Left;
    layout_.chartHeight = r.Bottom - r.Top;
    layout_.chartXCenter = (r.Left + r.Right) / 2;
    layout_.chartYCenter = (r.Top + r.Bottom) / 2;
  }

  // The bounds less the border and the margins, in percent of the bounds.
  void Margins() {
    const TRect& b = layout_.chartBounds;
    const int w = b.Width();
    const int h = b.Height();
    const int border = chart_.BorderWidth();
    layout_.chartRect = TRect{b.Left + border + MulDiv(chart_.MarginLeft(), w, 100),
                              b.Top + border + MulDiv(chart_.MarginTop(), h, 100),
                              b.Right - border - MulDiv(chart_.MarginRight(), w, 100),
                              b.Bottom - border - MulDiv(chart_.MarginBottom(), h, 100)};
    Repair();
  }

  // A legend at the side takes its strip before the titles are centred over
  // what is left; one at the top or bottom comes after them.
  void TitlesAndLegend() {
    TChartLegend& legend = chart_.Legend();
    const bool legendShown = legend.Visible() && chart_.CountActiveSeries() > 0;
    if (legendShown && legend.Vertical()) Legend();
    if (chart_.Title().Visible()) Title(chart_.Title(), layout_.title);
    if (chart_.Foot().Visible()) Title(chart_.Foot(), layout_.foot);
    if (legendShown && !legend.Vertical()) Legend();
  }

  void Legend() {
    layout_.legend = chart_.Legend().Layout(layout_.chartBounds, layout_.chartRect, metrics_);
    Repair();
  }

  void Title(const TChartTitle& title, TTitleLayout& out) {
    out = title.Layout(layout_.chartRect, metrics_);
    Repair();
  }

  std::array<TCustomChartAxis*, 5> Axes() {
    return {&chart_.LeftAxis(), &chart_.RightAxis(), &chart_.TopAxis(), &chart_.BottomAxis(),
            &chart_.DepthAxis()};
  }

  // Each axis' range from the series; then the shown axes, left, right,
  // top, bottom, each take their bands off a copy of the plot, kept while
  // it still overlaps the plot.
  void AxesRect() {
    for (TCustomChartAxis* axis : Axes()) {
      TAxisLayout& a = layout_.Axis(axis->Side());
      const AxisRange ends = axis->RecalculatedEnds();
      a.inverted = axis->Inverted();
      a.minimum = ends.minimum;
      a.maximum = ends.maximum;
      a.SetRange(ends.minimum, ends.maximum);
      a.shown = chart_.IsAxisVisible(*axis);
    }
    Repair();
    for (TCustomChartAxis* axis : Axes()) {
      TAxisLayout& a = layout_.Axis(axis->Side());
      if (!a.shown) continue;
      TRect rest = layout_.chartRect;
      axis->ReserveSpace(rest, layout_.chartRect, a, metrics_);
      TRect common;
      if (IntersectRect(layout_.chartRect, rest, common)) layout_.chartRect = common;
    }
    Repair();
  }

  // The working ranges widened by the margins the series ask for.
  void AxisPositions() {
    for (TCustomChartAxis* axis :
         {&chart_.TopAxis(), &chart_.LeftAxis(), &chart_.RightAxis(), &chart_.BottomAxis()}) {
      int low = 0;
      int high = 0;
      chart_.SeriesMargins(*axis, low, high);
      TAxisLayout& a = layout_.Axis(axis->Side());
      const AxisRange range =
          RangeWithMargins(MappingOf(axis->Side(), a, layout_.chartRect), low, high);
      a.SetRange(range.minimum, range.maximum);
    }
  }

  // Where the shown side axes draw their lines and with which label step.
  void AxisLines() {
    for (TCustomChartAxis* axis : Axes()) {
      TAxisLayout& a = layout_.Axis(axis->Side());
      if (!a.shown || axis->IsDepthAxis()) continue;
      a.axisLinePos = AxisLineOf(layout_.chartRect, axis->Side());
      a.labelStep = axis->LabelStep(a, layout_.chartRect, metrics_);
    }
  }

  TCustomChart& chart_;
  TextMetrics& metrics_;
  TChartLayout layout_;
};

}  // namespace

TRect RepairChartRect(TRect r, const TRect& bounds, int controlWidth, int controlHeight) {
  if (r.Left < bounds.Left) r.Left = bounds.Left;
  if (r.Top < bounds.Top) r.Top = bounds.Top;
  if (r.Right < r.Left) {
    r.Right = r.Left + 1;
  } else if (r.Right == r.Left) {
    r.Right = r.Left + controlWidth;
  }
  if (r.Bottom < r.Top) {
    r.Bottom = r.Top + 1;
  } else if (r.Bottom == r.Top) {
    r.Bottom = r.Top + controlHeight;
  }
  return r;
}

TChartLayout ComputeLayout(TCustomChart& chart, const TRect& chartBounds, TextMetrics& metrics) {
  return LayoutBuilder(chart, metrics).Build(chartBounds);
}

TChartLayout ComputeLayout(TCustomChart& chart, TextMetrics& metrics) {
  return ComputeLayout(chart, chart.ClientRect(), metrics);
}

}  // namespace kolva::chart
