// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "chart/chart_legend.h"
#include "chart/chart_mouse.h"
#include "chart/chart_title.h"
#include "chart/chart_wall.h"
#include "chart/custom_axis_panel.h"

namespace kolva::chart {

enum TPanningMode : int { pmNone, pmHorizontal, pmVertical, pmBoth };
enum TChartBackImageMode : int { pbmStretch, pbmTile, pbmCenter };

// The chart: titles, walls, legend and zoom state over the axis panel, and
// the paint sequence that draws them all.
class TCustomChart : public TCustomAxisPanel {
 public:
  using ChartEvent = std::function<void(TCustomChart&)>;
  // The axis, its new minimum and maximum, and whether to scroll; all three
  // may be changed.
  using AllowScrollEvent = std::function<void(TChartAxis&, double&, double&, bool&)>;
  using ClickAxisEvent =
      std::function<void(TCustomChart&, TCustomChartAxis&, TMouseButton, TShiftState, int, int)>;
  using ClickSeriesEvent =
      std::function<void(TCustomChart&, TChartSeries&, int, TMouseButton, TShiftState, int, int)>;
  using MouseEvent = std::function<void(TCustomChart&, TMouseButton, TShiftState, int, int)>;
  using MouseMoveEvent = std::function<void(TCustomChart&, TShiftState, int, int)>;

  explicit TCustomChart(std::unique_ptr<TChartCanvas3D> canvas);
  ~TCustomChart() override;

  TChartTitle& Title() { return *title_; }
  TChartTitle& Foot() { return *foot_; }
  TChartGradient& Gradient() { return *gradient_; }
  TChartWall& BackWall() { return *backWall_; }
  TChartWall& LeftWall() { return *leftWall_; }
  TChartWall& BottomWall() { return *bottomWall_; }
  TChartLegend& Legend() { return *legend_; }
  // The back wall's pen.
  TChartPen& Frame() { return backWall_->Pen(); }

  // The back wall's colour; setting it also makes the wall's brush solid.
  TColor BackColor() const override { return backWall_->Color(); }
  void SetBackColor(TColor value);

  TPanningMode AllowPanning() const { return allowPanning_; }
  void SetAllowPanning(TPanningMode value) { Store(allowPanning_, value); }
  bool AllowZoom() const { return allowZoom_; }
  void SetAllowZoom(bool value) { Store(allowZoom_, value); }
  bool AnimatedZoom() const { return animatedZoom_; }
  void SetAnimatedZoom(bool value) { Store(animatedZoom_, value); }
  int AnimatedZoomSteps() const { return animatedZoomSteps_; }
  void SetAnimatedZoomSteps(int value) { Store(animatedZoomSteps_, value); }
  bool BackImageInside() const { return backImageInside_; }
  void SetBackImageInside(bool value) { Store(backImageInside_, value); }
  TChartBackImageMode BackImageMode() const { return backImageMode_; }
  void SetBackImageMode(TChartBackImageMode value) { Store(backImageMode_, value); }
  bool View3DWalls() const { return view3DWalls_; }
  void SetView3DWalls(bool value) { Store(view3DWalls_, value); }

  // The n-th listed series (from 0) that is Active and ShowInLegend.
  TChartSeries* LegendSeries(int n) const;
  // Its Title, else its name, else "Series <n>"; "" when there is none.
  std::string SeriesLegendTitle(int n) const;

  // The mouse handling and the zoom, undo and scroll of the axes.
  TChartMouse& Mouse() { return mouse_; }
  TChartZoom& Zooming() { return zooming_; }
  TZoomPanningRecord& ZoomState() { return mouse_.ZoomState(); }
  TZoomPanningRecord& PanState() { return mouse_.PanState(); }

  ChartEvent OnAfterDraw;
  ChartEvent OnZoom;
  ChartEvent OnUndoZoom;
  ChartEvent OnScroll;
  ChartEvent OnPageChange;
  AllowScrollEvent OnAllowScroll;
  ClickAxisEvent OnClickAxis;
  ClickSeriesEvent OnClickSeries;
  MouseEvent OnClickLegend;
  MouseEvent OnClickBackground;
  // The control's own mouse events, fired before the chart's handling.
  MouseEvent OnMouseDown;
  MouseMoveEvent OnMouseMove;
  MouseEvent OnMouseUp;

 protected:
  TChartLayout LayOut(const TRect& bounds, TextMetrics& metrics) override;
  void InternalDraw(const TChartLayout& layout) override;
  void DrawTitlesAndLegend(const TChartLayout& layout);
  virtual void DrawLegend(const TLegendLayout& layout);
  void DrawWalls(const TRect& chartRect);

 private:
  std::unique_ptr<TChartTitle> title_;
  std::unique_ptr<TChartTitle> foot_;
  std::unique_ptr<TChartGradient> gradient_;
  std::unique_ptr<TChartWall> backWall_;
  std::unique_ptr<TChartWall> leftWall_;
  std::unique_ptr<TChartLegend> legend_;
  std::unique_ptr<TChartWall> bottomWall_;
  TPanningMode allowPanning_ = pmBoth;
  bool allowZoom_ = true;
  bool animatedZoom_ = false;
  int animatedZoomSteps_ = 8;
  bool backImageInside_ = false;
  TChartBackImageMode backImageMode_ = pbmStretch;
  bool view3DWalls_ = true;
  TChartZoom zooming_{*this};
  TChartMouse mouse_{*this};
};

// The chart component as a form holds it.
class TChart final : public TCustomChart {
 public:
  using TCustomChart::TCustomChart;
};

}  // namespace kolva::chart
