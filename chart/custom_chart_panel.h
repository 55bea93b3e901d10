// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>

#include "chart/chart_canvas3d.h"
#include "chart/chart_layout.h"
#include "chart/color.h"
#include "chart/geometry.h"
#include "chart/store_changed.h"
#include "chart/view3d_options.h"

namespace kolva::chart {

enum TBevelCut : int { bvNone, bvLowered, bvRaised, bvSpace };
enum TBorderStyle : int { bsNone, bsSingle };

// Width of the window system's sunken client edge of a bsSingle control.
inline constexpr int kSunkenEdgeWidth = 2;

// The chart's base: the panel look (colour, bevels, border), the margins,
// the canvas, the per-paint layout state and the paint entry. The host
// (a window, or a test) supplies the canvas, a repaint request that the
// message loop turns into one Paint call, and the control's size.
class TCustomChartPanel {
  // First of all members: the public views of it below refer to it.
  TChartLayout layout_;

 public:
  explicit TCustomChartPanel(std::unique_ptr<TChartCanvas3D> canvas);
  virtual ~TCustomChartPanel();
  TCustomChartPanel(const TCustomChartPanel&) = delete;
  TCustomChartPanel& operator=(const TCustomChartPanel&) = delete;

  // Marks the off-screen image stale and asks the host for a repaint; the
  // host is asked once until the next Paint, however often this is called.
  void Invalidate();
  // The host's repaint request (a window's update()).
  void SetRepaintRequest(std::function<void()> request) { repaintRequest_ = std::move(request); }
  bool RepaintPending() const { return repaintPending_; }
  // The paint handler: copies a current off-screen image, else draws.
  void Paint();
  // One full drawing into the rectangle of the window.
  void Draw(const TRect& rect);

  // The control's position and size. A new size discards the off-screen
  // image so that the next paint creates one of the new size.
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  // The area the chart paints: the control less its sunken edge (bsSingle)
  // and BorderWidth on each side, from (0, 0).
  TRect ClientRect() const;

  TColor Color() const { return color_; }
  void SetColor(TColor value) { Store(color_, value); }
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut value) { Store(bevelInner_, value); }
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut value) { Store(bevelOuter_, value); }
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int value) { Store(bevelWidth_, value); }
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int value) { Store(borderWidth_, value); }
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle value) { Store(borderStyle_, value); }

  int MarginTop() const { return marginTop_; }
  int MarginLeft() const { return marginLeft_; }
  int MarginRight() const { return marginRight_; }
  int MarginBottom() const { return marginBottom_; }
  void SetMarginTop(int value) { Store(marginTop_, value); }
  void SetMarginLeft(int value) { Store(marginLeft_, value); }
  void SetMarginRight(int value) { Store(marginRight_, value); }
  void SetMarginBottom(int value) { Store(marginBottom_, value); }

  bool View3D() const { return view3D_; }
  void SetView3D(bool value) { Store(view3D_, value); }
  TView3DOptions& View3DOptions() { return view3DOptions_; }
  bool Monochrome() const { return canvas_->Monochrome(); }
  void SetMonochrome(bool value);
  bool Printing() const { return printing_; }

  TChartCanvas3D& ChartCanvas() { return *canvas_; }

  // The layout of the picture on screen: the one the current (or last)
  // paint draws from. Before the first paint every rectangle is empty.
  const TChartLayout& Layout() const { return layout_; }
  // Its figures under their usual names.
  const TRect& ChartBounds = layout_.chartBounds;
  const TRect& ChartRect = layout_.chartRect;
  const int& ChartWidth = layout_.chartWidth;
  const int& ChartHeight = layout_.chartHeight;
  const int& ChartXCenter = layout_.chartXCenter;
  const int& ChartYCenter = layout_.chartYCenter;
  // The legend's colour during its drawing: the background of its symbols.
  TColor LegendColor = clWhite;

  // The mouse cursor over the chart; the one it had when loading finished
  // is restored when the mouse leaves the chart.
  int Cursor() const { return cursor_; }
  void SetCursor(int value) { cursor_ = value; }
  void RestoreCursor() { cursor_ = originalCursor_; }

  // Loading a stored form: setters skip cross-checks meanwhile; the end
  // remembers the cursor.
  void BeginLoading() { loading_ = true; }
  void EndLoading() {
    loading_ = false;
    originalCursor_ = cursor_;
  }
  bool IsLoading() const { return loading_; }
  bool IsDestroying() const { return destroying_; }

 protected:
  template <typename T>
  void Store(T& field, const T& value) {
    if (StoreChanged(field, value)) Invalidate();
  }
  // The layout of a picture of `bounds`, computed before anything is drawn.
  virtual TChartLayout LayOut(const TRect& bounds, TextMetrics& metrics) = 0;
  // Everything one paint draws, in order, from the layout (the one Layout()
  // answers by then).
  virtual void InternalDraw(const TChartLayout& layout) = 0;
  // Fills the bounds with Color and draws the bevel rings.
  void PaintPanel(const TRect& bounds);
  void SetDestroying() { destroying_ = true; }

 private:
  void DrawPanelBevels(TRect rect);
  void DrawRings(TRect& rect, int count, TColor topColor, TColor bottomColor);

  std::unique_ptr<TChartCanvas3D> canvas_;
  std::function<void()> repaintRequest_;
  bool invalidationOn_ = false;
  bool repaintPending_ = false;
  bool loading_ = false;
  bool destroying_ = false;
  bool printing_ = false;
  int cursor_ = 0;
  int originalCursor_ = 0;
  int left_ = 0;
  int top_ = 0;
  int width_ = 0;
  int height_ = 0;
  TColor color_ = clBtnFace;
  TBevelCut bevelInner_ = bvNone;
  TBevelCut bevelOuter_ = bvRaised;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  TBorderStyle borderStyle_ = bsNone;
  int marginTop_ = 4;
  int marginLeft_ = 3;
  int marginRight_ = 3;
  int marginBottom_ = 4;
  bool view3D_ = true;
  TView3DOptions view3DOptions_;
};

}  // namespace kolva::chart
