// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "chart/chart_value_list.h"
#include "chart/color.h"
#include "chart/geometry.h"
#include "chart/pod_array.h"
#include "chart/store_changed.h"

namespace kolva::chart {

class TCustomAxisPanel;

enum THorizAxis : int { aTopAxis, aBottomAxis };
enum TVertAxis : int { aLeftAxis, aRightAxis };

// What a series tells the series that copy it.
enum class TSeriesChange { Clear, Add, Delete, Change, Refresh };

// Per-point value marks; kept on every series, drawn by none here.
struct TSeriesMarks {
  bool Visible = false;
  std::vector<TRect> Positions;  // where each mark was last drawn
};

// The points of one curve: an X list (ascending), a Y list, a colour and an
// optional label per point, and the notifications that make the chart
// repaint. The four per-point lists always hold PointCount entries; point
// labels cost nothing until some point has one, and point colours nothing
// while all points share one.
class TChartSeries {
 public:
  using BeforeAddEvent = std::function<bool(TChartSeries&)>;
  using AfterAddEvent = std::function<void(TChartSeries&, int)>;
  using SeriesEvent = std::function<void(TChartSeries&)>;
  using MarkTextEvent = std::function<void(TChartSeries&, int, std::string&)>;
  using ClickEvent = std::function<void(TChartSeries&, int, int, int)>;

  explicit TChartSeries(std::string name = {});
  virtual ~TChartSeries();
  TChartSeries(const TChartSeries&) = delete;
  TChartSeries& operator=(const TChartSeries&) = delete;

  // Stores a point where X's order puts it; answers its index, or -1 when
  // OnBeforeAdd refuses it. Colour clDefault is stored as clAutoColor; an
  // empty label is stored as no label.
  // Once the storage is full (see StorageFull) it stores nothing and
  // answers -1.
  int AddPoint(double x, double y, const std::string& label = {}, TColor color = clAutoColor);
  // Adds the points (x[i], y[i]), i = 0 .. count - 1, with no label and
  // the colour: the same points, colours, statistics and summaries as
  // count calls AddPoint(x[i], y[i], {}, color) in order (PointCount
  // stays an int: count is at most INT_MAX - PointCount). A point that
  // something watches or changes (OnBeforeAdd, OnAfterAdd, dependent
  // series, point labels, an x that X's order inserts, a colour other
  // than the one all points share) goes through AddPoint itself, events
  // and repaint requests included; the others are stored in runs, with
  // one repaint request for the whole call. Answers the index where the
  // last point added lies, or -1 when none was added. When the storage
  // fills, the points that still fit are stored and the rest are dropped.
  int AddPoints(const double* x, const double* y, std::size_t count, TColor color = clAutoColor);
  // Adds a point at x = PointCount.
  int AddY(double y, const std::string& label = {}, TColor color = clAutoColor);
  void ClearPoints();
  void DeletePoint(int index);
  int PointCount() const { return xValues_->ValueCount(); }

  // True when a value list's file (a long series keeps its values in one,
  // see PodArray) found no more room on disk or could not be mapped: the
  // series then takes no more points until ClearPoints. Becoming full
  // calls OnStorageFull once; AddPoint and
  // AddPoints still return normally.
  bool StorageFull() const { return storageFull_; }

  double XValue(int index) const { return xValues_->Value(index); }
  double YValue(int index) const { return yValues_->Value(index); }
  // Never fails: past the end, SeriesColor.
  TColor PointColor(int index) const;
  // True when PointColor is the same for every point (no colour of its
  // own per point, and no palette colour per point).
  bool OneColorForAll() const {
    return colors_.empty() && !(colorEachPoint_ && sharedColor_ == clAutoColor);
  }
  // Never fails: "" past the end or for a point without a label.
  std::string PointLabel(int index) const;
  // True when some point has a label.
  bool HasPointLabels() const;
  double XMinimum() const { return xValues_->MinimumValue(); }
  double XMaximum() const { return xValues_->MaximumValue(); }
  double YMinimum() const { return yValues_->MinimumValue(); }
  double YMaximum() const { return yValues_->MaximumValue(); }

  TChartValueList& XValues() { return *xValues_; }
  TChartValueList& YValues() { return *yValues_; }
  const TChartValueList& XValues() const { return *xValues_; }
  const TChartValueList& YValues() const { return *yValues_; }
  const std::vector<TChartValueList*>& ValueLists() const { return valueLists_; }
  void RegisterValueList(TChartValueList* list) { valueLists_.push_back(list); }

  // Value as text through ValueFormat; percentage of point i of the Y
  // total through PercentFormat (100 when the total is 0); and the marks'
  // "<percent> of <total>".
  std::string ValueToText(double value) const;
  std::string PercentText(int index) const;
  std::string PercentOfTotalText(int index) const;

  // Asks the parent chart, if any, to repaint when the message loop runs.
  void RequestRepaint() const;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& value) { name_ = value; }
  TCustomAxisPanel* ParentChart() const { return parentChart_; }
  // Leaves the old chart's series list and joins the new chart's.
  void SetParentChart(TCustomAxisPanel* chart);

  bool Active() const { return active_; }
  void SetActive(bool value) { SetAndRepaint(active_, value); }
  TColor SeriesColor() const { return seriesColor_; }
  void SetSeriesColor(TColor value) { SetAndRepaint(seriesColor_, value); }
  bool ColorEachPoint() const { return colorEachPoint_; }
  // Turning it off resets every point's stored colour to clAutoColor.
  void SetColorEachPoint(bool value);
  bool ShowInLegend() const { return showInLegend_; }
  void SetShowInLegend(bool value) { SetAndRepaint(showInLegend_, value); }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& value) { SetAndRepaint(title_, value); }
  const std::string& ValueFormat() const { return valueFormat_; }
  void SetValueFormat(const std::string& value) { SetAndRepaint(valueFormat_, value); }
  const std::string& PercentFormat() const { return percentFormat_; }
  void SetPercentFormat(const std::string& value) { SetAndRepaint(percentFormat_, value); }
  THorizAxis HorizAxis() const { return horizAxis_; }
  void SetHorizAxis(THorizAxis value) { SetAndRepaint(horizAxis_, value); }
  TVertAxis VertAxis() const { return vertAxis_; }
  void SetVertAxis(TVertAxis value) { SetAndRepaint(vertAxis_, value); }
  int Cursor() const { return cursor_; }
  void SetCursor(int value) { cursor_ = value; }
  const std::string& ColorSource() const { return colorSource_; }
  void SetColorSource(const std::string& value);
  const std::string& XLabelsSource() const { return xLabelsSource_; }
  void SetXLabelsSource(const std::string& value);
  bool LimitToVisibleRange() const { return limitToVisibleRange_; }
  void SetLimitToVisibleRange(bool value) { SetAndRepaint(limitToVisibleRange_, value); }
  bool DrawBeyondEdge() const { return drawBeyondEdge_; }
  void SetDrawBeyondEdge(bool value) { SetAndRepaint(drawBeyondEdge_, value); }
  TSeriesMarks& Marks() { return marks_; }
  int ZOrder() const { return zOrder_; }
  void SetZOrder(int value) { zOrder_ = value; }

  int FirstVisibleIndex() const { return firstVisibleIndex_; }
  int LastVisibleIndex() const { return lastVisibleIndex_; }

  // Series fed from other series. Each source tells this series of its
  // changes; this series copies its sources' points.
  void AddDataSource(TChartSeries* source);
  void RemoveDataSource(TChartSeries* source);
  const std::vector<TChartSeries*>& DataSources() const { return dataSources_; }
  void NotifyDependents(TSeriesChange kind, int index) {
    if (!dependents_.empty()) TellDependents(kind, index);
  }
  // Clears the series and copies every point of its data sources again.
  void ReloadFromDataSources();

  // Paint hooks the chart calls in its paint sequence. The base draws
  // nothing: series kinds override them.
  virtual void DoBeforeDrawChart() {}
  // Sets FirstVisibleIndex / LastVisibleIndex; the base makes every point
  // visible (-1, -1 when empty).
  virtual void CalcVisibleRange();
  // Calls DrawPoint for each visible index, ascending.
  virtual void DrawPoints();
  virtual void DrawPoint(int /*index*/) {}
  // Pixels the series wants kept free at the low and high end of its
  // horizontal or vertical axis.
  virtual void CalcHorizMargins(int& low, int& high) const { low = high = 0; }
  virtual void CalcVerticalMargins(int& low, int& high) const { low = high = 0; }
  // Draws the series' legend symbol in the rectangle (index -1: the series).
  virtual void LegendSymbol(int /*index*/, const TRect& /*rect*/) {}

  BeforeAddEvent OnBeforeAdd;
  AfterAddEvent OnAfterAdd;
  SeriesEvent OnClearValues;
  MarkTextEvent OnGetMarkText;
  SeriesEvent BeforeDrawValues;
  SeriesEvent AfterDrawValues;
  ClickEvent OnClick;
  ClickEvent OnDblClick;
  SeriesEvent OnStorageFull;

  // Bytes of heap the per-point storage holds (values, colours, labels;
  // values in files not counted).
  std::size_t StorageBytes() const;

 protected:
  void SetVisibleRange(int first, int last) {
    firstVisibleIndex_ = first;
    lastVisibleIndex_ = last;
  }

 private:
  friend class TCustomAxisPanel;
  template <typename T>
  void SetAndRepaint(T& field, const T& value) {
    if (StoreChanged(field, value)) RequestRepaint();
  }
  // Room for n more points in every value list; false when there is none
  // (the series is full then).
  bool MakeRoom(std::size_t n) {
    if (storageFull_) return false;
    for (TChartValueList* list : valueLists_)
      if (!list->Reserve(n)) return Filled();
    return true;
  }
  // Turns StorageFull on and tells so; answers false.
  bool Filled();
  void InsertLabel(int index, const std::string& label);
  void TellDependents(TSeriesChange kind, int index);
  void CopyPointFrom(const TChartSeries& source, int index);
  void OnSourceChanged(TSeriesChange kind, int index);
  // The colour point `index` was given (clDefault already turned into
  // clAutoColor).
  TColor StoredColor(int index) const {
    return colors_.empty() ? sharedColor_ : colors_[static_cast<std::size_t>(index)];
  }
  // Stores the colour of the point just stored at `at`.
  void StoreColor(std::size_t at, TColor color) {
    if (colors_.empty() && color == sharedColor_) return;
    StoreOwnColor(at, color);
  }
  void StoreOwnColor(std::size_t at, TColor color);
  // How many of the points with x[0 .. count) AddPoints may store as one
  // run: 0 when the first must go through AddPoint.
  std::size_t QuietRun(const double* x, std::size_t count, TColor color) const;

  std::string name_;
  bool active_ = true;
  TColor seriesColor_ = clAutoColor;
  bool colorEachPoint_ = false;
  // The colour list. While every point has the same colour (a run's
  // points all do) only that colour is kept, in sharedColor_, and colors_
  // stays empty; the first point given another colour makes colors_ hold
  // one entry per point.
  PodArray<TColor> colors_;
  TColor sharedColor_ = clAutoColor;
  std::string colorSource_;
  int cursor_ = 0;
  std::vector<TChartSeries*> dataSources_;
  int firstVisibleIndex_ = -1;
  std::string xLabelsSource_;
  int lastVisibleIndex_ = -1;
  std::vector<TChartSeries*> dependents_;
  TSeriesMarks marks_;
  TCustomAxisPanel* parentChart_ = nullptr;
  std::string percentFormat_ = "##0.## %";
  bool showInLegend_ = true;
  std::string title_;
  std::string valueFormat_ = "#,##0.###";
  std::vector<TChartValueList*> valueLists_;
  std::unique_ptr<TChartValueList> xValues_;
  // Empty while no point has a label; otherwise one entry per point, null
  // for a point without one.
  std::vector<std::unique_ptr<std::string>> labels_;
  std::unique_ptr<TChartValueList> yValues_;
  THorizAxis horizAxis_ = aBottomAxis;
  TVertAxis vertAxis_ = aLeftAxis;
  int zOrder_ = 0;
  bool limitToVisibleRange_ = true;
  bool drawBeyondEdge_ = false;
  bool storageFull_ = false;
};

}  // namespace kolva::chart
