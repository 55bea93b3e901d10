// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "chart/axis.h"
#include "chart/axis_host.h"
#include "chart/chart_series.h"
#include "chart/custom_chart_panel.h"
#include "chart/number_format.h"

namespace kolva::chart {

// The chart's series, listed in the order they were added; the list does
// not own them.
using TChartSeriesList = std::vector<TChartSeries*>;

// The panel with series and axes: owns the five axes (created top, bottom,
// left, right, depth) and lists the series, and lays out and draws the
// axes during a paint.
class TCustomAxisPanel : public TCustomChartPanel {
 public:
  using AxisLabelEvent = std::function<void(const TCustomChartAxis&, std::string&)>;

  explicit TCustomAxisPanel(std::unique_ptr<TChartCanvas3D> canvas);
  ~TCustomAxisPanel() override;

  // Lists the series (if not yet listed), giving it a palette colour no
  // other series, Color or BackColor uses when its colour is clAutoColor.
  void AddSeries(TChartSeries* series);
  void RemoveSeries(TChartSeries* series);
  const TChartSeriesList& SeriesList() const { return seriesList_; }
  int SeriesCount() const { return static_cast<int>(seriesList_.size()); }
  TChartSeries* Series(int index) const { return seriesList_.at(static_cast<std::size_t>(index)); }
  int CountActiveSeries() const;
  TChartSeries* FirstActiveSeries() const;

  // AxisVisible, the axis' own Visible, and (but for the depth axis) an
  // active series drawn against the axis.
  bool IsAxisVisible(const TCustomChartAxis& axis) const;

  TChartAxis& TopAxis() { return *topAxis_; }
  TChartAxis& BottomAxis() { return *bottomAxis_; }
  TChartAxis& LeftAxis() { return *leftAxis_; }
  TChartAxis& RightAxis() { return *rightAxis_; }
  TChartDepthAxis& DepthAxis() { return *depthAxis_; }

  bool AxisVisible() const { return axisVisible_; }
  void SetAxisVisible(bool value) { Store(axisVisible_, value); }
  bool ClipPoints() const { return clipPoints_; }
  void SetClipPoints(bool value) { Store(clipPoints_, value); }
  int Chart3DPercent() const { return chart3DPercent_; }
  // 1 .. 100, else "3D effect percent must be between 1 and 100".
  void SetChart3DPercent(int value);
  int MaxPointsPerPage() const { return maxPointsPerPage_; }
  // "MaxPointsPerPage must be >= 0" when negative.
  void SetMaxPointsPerPage(int value);
  int Page() const { return page_; }
  void SetPage(int value) { Store(page_, value); }
  bool ScaleLastPage() const { return scaleLastPage_; }
  void SetScaleLastPage(bool value) { Store(scaleLastPage_, value); }
  // The wall thickness on an axis' side; 0 in flat mode.
  virtual int WallSizeOf(const TCustomChartAxis& axis) const;

  // The colour of the back wall; the panel alone has none.
  virtual TColor BackColor() const { return clAutoColor; }

  // The active series drawn against the axis with their extents along it.
  std::vector<AxisSeriesExtent> SeriesOnAxis(const TCustomChartAxis& axis) const;
  // The largest margins, in pixels, that the active series drawn against
  // the axis ask for at its low (left/top) and high ends.
  void SeriesMargins(const TCustomChartAxis& axis, int& low, int& high) const;

  // The formatter of this chart's value texts: axis labels, legend and
  // series values. None (the default) raises std::logic_error when a text
  // is made; the host gives one before the first paint. Setting it asks
  // for a repaint.
  const PatternFormatter& ValueFormatter() const { return valueFormatter_; }
  void SetValueFormatter(PatternFormatter formatter) {
    valueFormatter_ = std::move(formatter);
    Invalidate();
  }

  AxisLabelEvent OnGetAxisLabel;

 protected:
  // The axes' ranges and positions of the layout become their working
  // state; then the shown axes are drawn where it puts them.
  void TakeAxisLayout(const TChartLayout& layout);
  void DrawAxes(const TChartLayout& layout);
  // Draws one series: visible range, clip, points, events.
  void DrawSeries(TChartSeries& series);
  bool SeriesUsesAxis(const TChartSeries& series, const TCustomChartAxis& axis) const;

 private:
  class Host;

  std::unique_ptr<AxisHost> host_;
  TChartSeriesList seriesList_;
  std::unique_ptr<TChartAxis> topAxis_;
  std::unique_ptr<TChartAxis> bottomAxis_;
  std::unique_ptr<TChartAxis> leftAxis_;
  std::unique_ptr<TChartAxis> rightAxis_;
  std::unique_ptr<TChartDepthAxis> depthAxis_;
  bool axisVisible_ = true;
  bool clipPoints_ = true;
  int chart3DPercent_ = 15;
  int maxPointsPerPage_ = 0;
  int page_ = 1;
  bool scaleLastPage_ = true;
  PatternFormatter valueFormatter_;
};

}  // namespace kolva::chart
