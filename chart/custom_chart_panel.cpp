// SPDX-License-Identifier: MIT
#include "chart/custom_chart_panel.h"

#include "chart/text_metrics.h"

namespace kolva::chart {

TCustomChartPanel::TCustomChartPanel(std::unique_ptr<TChartCanvas3D> canvas)
    : canvas_(std::move(canvas)) {
  view3DOptions_.OnChange.Set([this] { Invalidate(); });
  invalidationOn_ = true;
}

TCustomChartPanel::~TCustomChartPanel() = default;

void TCustomChartPanel::Invalidate() {
  if (!invalidationOn_) return;
  canvas_->MarkBufferDirty();
  if (repaintPending_) return;
  repaintPending_ = true;
  if (repaintRequest_) repaintRequest_();
}

void TCustomChartPanel::Paint() {
  repaintPending_ = false;
  TRect client = ClientRect();
  if (!printing_ && canvas_->ReuseBuffer(TPoint{client.Left, client.Top})) return;
  Draw(client);
}

void TCustomChartPanel::Draw(const TRect& rect) {
  const TRect bounds = canvas_->BeginDrawing(view3DOptions_, rect, view3D_);
  CanvasTextMetrics metrics(*canvas_);
  layout_ = LayOut(bounds, metrics);
  InternalDraw(layout_);
  canvas_->CopyBufferToWindow(TPoint{rect.Left, rect.Top});
}

void TCustomChartPanel::SetBounds(int left, int top, int width, int height) {
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  if (canvas_->BufferedDisplay()) {
    canvas_->SetBufferedDisplay(false);
    canvas_->SetBufferedDisplay(true);
  } else {
    canvas_->MarkBufferDirty();
  }
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  Invalidate();
}

TRect TCustomChartPanel::ClientRect() const {
  int inset = borderWidth_ + (borderStyle_ == bsSingle ? kSunkenEdgeWidth : 0);
  int w = width_ - 2 * inset;
  int h = height_ - 2 * inset;
  return TRect{0, 0, w > 0 ? w : 0, h > 0 ? h : 0};
}

void TCustomChartPanel::SetMonochrome(bool value) {
  if (canvas_->Monochrome() == value) return;
  canvas_->SetMonochrome(value);
  Invalidate();
}

void TCustomChartPanel::PaintPanel(const TRect& bounds) {
  TCanvas3D& canvas = *canvas_;
  canvas.Brush().SetColor(color_);
  canvas.Brush().SetStyle(bsSolid);
  canvas.FillRect(bounds);
  if (printing_) return;
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetWidth(1);
  canvas.Pen().SetMode(pmCopy);
  canvas.Brush().SetStyle(bsClear);
  DrawPanelBevels(bounds);
}

void TCustomChartPanel::DrawPanelBevels(TRect rect) {
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvLowered) DrawRings(rect, bevelWidth_, clBtnShadow, clBtnHighlight);
    if (cut == bvRaised) DrawRings(rect, bevelWidth_, clBtnHighlight, clBtnShadow);
  };
  bevel(bevelOuter_);
  DrawRings(rect, borderWidth_, color_, color_);
  bevel(bevelInner_);
}

// Each ring: left and top edges in the top colour, right and bottom edges
// (one pixel inside the rectangle) in the bottom colour; then the rectangle
// shrinks by one pixel on every side.
void TCustomChartPanel::DrawRings(TRect& rect, int count, TColor topColor, TColor bottomColor) {
  TCanvas3D& canvas = *canvas_;
  for (int i = 0; i < count; ++i) {
    int right = rect.Right - 1;
    int bottom = rect.Bottom - 1;
    canvas.Pen().SetColor(topColor);
    canvas.MoveTo(rect.Left, bottom);
    canvas.LineTo(rect.Left, rect.Top);
    canvas.LineTo(right, rect.Top);
    canvas.Pen().SetColor(bottomColor);
    canvas.MoveTo(right, rect.Top);
    canvas.LineTo(right, bottom);
    canvas.LineTo(rect.Left - 1, bottom);
    rect = TRect{rect.Left + 1, rect.Top + 1, rect.Right - 1, rect.Bottom - 1};
  }
}

}  // namespace kolva::chart
