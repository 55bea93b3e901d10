// SPDX-License-Identifier: MIT
#include "chart/custom_axis_panel.h"

#include <algorithm>

#include "chart/chart_errors.h"

namespace kolva::chart {

// What the axes see of their chart.
class TCustomAxisPanel::Host : public AxisHost {
 public:
  explicit Host(TCustomAxisPanel& panel) : panel_(panel) {}
  std::vector<AxisSeriesExtent> SeriesOnAxis(const TCustomChartAxis& axis) const override {
    return panel_.SeriesOnAxis(axis);
  }
  TRect ChartRect() const override { return panel_.ChartRect; }
  TCanvas3D& Canvas() override { return panel_.ChartCanvas(); }
  void Invalidate() override { panel_.Invalidate(); }
  bool Loading() const override { return panel_.IsLoading(); }
  TColor PanelColor() const override { return panel_.Color(); }
  int WallSize(const TCustomChartAxis& axis) const override { return panel_.WallSizeOf(axis); }
  void GetAxisLabel(const TCustomChartAxis& axis, std::string& labelText) override {
    if (panel_.OnGetAxisLabel) panel_.OnGetAxisLabel(axis, labelText);
  }
  const PatternFormatter& ValueFormatter() const override { return panel_.ValueFormatter(); }

 private:
  TCustomAxisPanel& panel_;
};

TCustomAxisPanel::TCustomAxisPanel(std::unique_ptr<TChartCanvas3D> canvas)
    : TCustomChartPanel(std::move(canvas)), host_(std::make_unique<Host>(*this)) {
  SetBounds(0, 0, 400, 250);
  topAxis_ = std::make_unique<TChartAxis>(*host_, AxisSide::kTop);
  bottomAxis_ = std::make_unique<TChartAxis>(*host_, AxisSide::kBottom);
  leftAxis_ = std::make_unique<TChartAxis>(*host_, AxisSide::kLeft);
  rightAxis_ = std::make_unique<TChartAxis>(*host_, AxisSide::kRight);
  depthAxis_ = std::make_unique<TChartDepthAxis>(*host_);
}

TCustomAxisPanel::~TCustomAxisPanel() {
  SetDestroying();
  // The series belong to the form: they only forget this chart.
  for (TChartSeries* series : seriesList_) series->parentChart_ = nullptr;
  seriesList_.clear();
}

void TCustomAxisPanel::AddSeries(TChartSeries* series) {
  if (series == nullptr) return;
  if (std::find(seriesList_.begin(), seriesList_.end(), series) != seriesList_.end()) return;
  if (series->SeriesColor() == clAutoColor) {
    auto used = [&](TColor c) {
      return std::any_of(seriesList_.begin(), seriesList_.end(),
                         [&](const TChartSeries* s) { return s->SeriesColor() == c; });
    };
    int t = 0;
    while (t < kPaletteSize) {
      TColor c = PaletteColor(t);
      if (!used(c) && c != Color() && c != BackColor()) break;
      ++t;
    }
    series->SetSeriesColor(PaletteColor(t));
  }
  series->parentChart_ = this;
  seriesList_.push_back(series);
  Invalidate();
}

void TCustomAxisPanel::RemoveSeries(TChartSeries* series) {
  auto it = std::find(seriesList_.begin(), seriesList_.end(), series);
  if (it == seriesList_.end()) return;
  series->parentChart_ = nullptr;
  if (Cursor() == series->Cursor()) RestoreCursor();
  seriesList_.erase(it);
  Invalidate();
}

int TCustomAxisPanel::CountActiveSeries() const {
  return static_cast<int>(std::count_if(seriesList_.begin(), seriesList_.end(),
                                        [](const TChartSeries* s) { return s->Active(); }));
}

TChartSeries* TCustomAxisPanel::FirstActiveSeries() const {
  for (TChartSeries* s : seriesList_)
    if (s->Active()) return s;
  return nullptr;
}

bool TCustomAxisPanel::SeriesUsesAxis(const TChartSeries& series,
                                      const TCustomChartAxis& axis) const {
  switch (axis.Side()) {
    case AxisSide::kTop:
      return series.HorizAxis() == aTopAxis;
    case AxisSide::kBottom:
      return series.HorizAxis() == aBottomAxis;
    case AxisSide::kLeft:
      return series.VertAxis() == aLeftAxis;
    case AxisSide::kRight:
      return series.VertAxis() == aRightAxis;
    case AxisSide::kDepth:
      return false;
  }
  return false;
}

bool TCustomAxisPanel::IsAxisVisible(const TCustomChartAxis& axis) const {
  if (!axisVisible_ || !axis.Visible()) return false;
  if (axis.IsDepthAxis()) return true;
  return std::any_of(seriesList_.begin(), seriesList_.end(), [&](const TChartSeries* s) {
    return s->Active() && SeriesUsesAxis(*s, axis);
  });
}

void TCustomAxisPanel::SetChart3DPercent(int value) {
  if (value < 1 || value > 100) throw ChartException("3D effect percent must be between 1 and 100");
  Store(chart3DPercent_, value);
}

void TCustomAxisPanel::SetMaxPointsPerPage(int value) {
  if (value < 0) throw ChartException("MaxPointsPerPage must be >= 0");
  Store(maxPointsPerPage_, value);
}

int TCustomAxisPanel::WallSizeOf(const TCustomChartAxis&) const {
  return 0;
}

std::vector<AxisSeriesExtent> TCustomAxisPanel::SeriesOnAxis(const TCustomChartAxis& axis) const {
  std::vector<AxisSeriesExtent> extents;
  for (const TChartSeries* s : seriesList_) {
    if (!s->Active() || !SeriesUsesAxis(*s, axis)) continue;
    bool horizontal = axis.IsHorizontal();
    const TChartValueList& list = horizontal ? s->XValues() : s->YValues();
    extents.push_back(AxisSeriesExtent{s->PointCount(), list.MinimumValue(), list.MaximumValue(),
                                       horizontal && s->HasPointLabels(), list.DateTime()});
  }
  return extents;
}

void TCustomAxisPanel::SeriesMargins(const TCustomChartAxis& axis, int& low, int& high) const {
  low = 0;
  high = 0;
  for (const TChartSeries* s : seriesList_) {
    if (!s->Active() || !SeriesUsesAxis(*s, axis)) continue;
    int a = 0;
    int b = 0;
    if (axis.IsHorizontal())
      s->CalcHorizMargins(a, b);
    else
      s->CalcVerticalMargins(a, b);
    low = std::max(low, a);
    high = std::max(high, b);
  }
}

void TCustomAxisPanel::TakeAxisLayout(const TChartLayout& layout) {
  for (TCustomChartAxis* axis : {static_cast<TCustomChartAxis*>(leftAxis_.get()),
                                 static_cast<TCustomChartAxis*>(rightAxis_.get()),
                                 static_cast<TCustomChartAxis*>(topAxis_.get()),
                                 static_cast<TCustomChartAxis*>(bottomAxis_.get()),
                                 static_cast<TCustomChartAxis*>(depthAxis_.get())}) {
    axis->TakeLayout(layout.Axis(axis->Side()));
  }
}

void TCustomAxisPanel::DrawAxes(const TChartLayout& layout) {
  if (!axisVisible_) return;
  TCustomChartAxis* order[] = {topAxis_.get(), bottomAxis_.get(), leftAxis_.get(),
                               rightAxis_.get()};
  for (TCustomChartAxis* axis : order) {
    const TAxisLayout& a = layout.Axis(axis->Side());
    if (a.shown) axis->DrawAxis(a);
  }
  if (View3D() && layout.Axis(AxisSide::kDepth).shown)
    depthAxis_->DrawAxis(layout.Axis(AxisSide::kDepth));
}

void TCustomAxisPanel::DrawSeries(TChartSeries& series) {
  series.CalcVisibleRange();
  if (series.FirstVisibleIndex() == -1) return;
  if (series.BeforeDrawValues) series.BeforeDrawValues(series);
  if (clipPoints_) ChartCanvas().ClipToBox(ChartRect, 0, 0);
  series.DrawPoints();
  if (clipPoints_) ChartCanvas().RemoveClip();
  if (series.AfterDrawValues) series.AfterDrawValues(series);
}

}  // namespace kolva::chart
