// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "chart/chart_legend.h"
#include "chart/chart_title.h"
#include "chart/chart_wall.h"
#include "chart/custom_axis_panel.h"

namespace kolva::chart {

enum TPanningMode : int { pmNone, pmHorizontal, pmVertical, pmBoth };
enum TChartBackImageMode : int { pbmStretch, pbmTile, pbmCenter };

// A zoom drag in progress: the band from the start point to the current one.
struct TZoomDrag {
  bool Active = false;
  int X0 = 0;
  int Y0 = 0;
  int X1 = 0;
  int Y1 = 0;
};

// The chart: titles, walls, legend and zoom state over the axis panel, and
// the paint sequence that draws them all.
class TCustomChart : public TCustomAxisPanel {
 public:
  using ChartEvent = std::function<void(TCustomChart&)>;

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

  TZoomDrag& Zoom() { return zoom_; }

  ChartEvent OnAfterDraw;
  ChartEvent OnZoom;
  ChartEvent OnUndoZoom;
  ChartEvent OnScroll;
  ChartEvent OnPageChange;

 protected:
  void InternalDraw(const TRect& bounds) override;
  void DrawTitlesAndLegend();
  void DrawTitle(TChartTitle& title, bool atTop);
  // Draws the legend and takes its strip off ChartRect.
  virtual void DrawLegend();
  void DrawWalls();
  void DrawZoomRectangle();

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
  TZoomDrag zoom_;
};

// The chart component as a form holds it.
class TChart final : public TCustomChart {
 public:
  using TCustomChart::TCustomChart;
};

}  // namespace kolva::chart
