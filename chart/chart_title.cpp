// SPDX-License-Identifier: MIT
#include "chart/chart_title.h"

#include <algorithm>

#include "chart/canvas.h"
#include "chart/custom_chart_panel.h"
#include "chart/text_metrics.h"

namespace kolva::chart {

TChartFontObject::TChartFontObject(TCustomChartPanel& chart)
    : chart_(chart), font_(DefaultChartFont()) {
  font_.OnChange.Set([this] { Repaint(); });
}

void TChartFontObject::Repaint() const {
  chart_.Invalidate();
}

TChartTitle::TChartTitle(TCustomChartPanel& chart, bool atTop)
    : TChartFontObject(chart), atTop_(atTop) {
  Font().SetColor(clBlue);
  brush_.OnChange.Set([this] { Repaint(); });
  frame_.OnChange.Set([this] { Repaint(); });
}

const TRect& TChartTitle::TitleRect() const {
  const TChartLayout& layout = ParentChart().Layout();
  return atTop_ ? layout.title.rect : layout.foot.rect;
}

int TChartTitle::FrameWidth() const {
  return frame_.Visible() && frame_.Color() != clAutoColor ? frame_.Width() : 0;
}

int TChartTitle::LineX(TextMetrics& metrics, const std::string& line, int left, int right) const {
  switch (alignment_) {
    case taLeftJustify:
      return left;
    case taRightJustify:
      return right - metrics.TextWidth(Font(), line);
    case taCenter:
      break;
  }
  return (left + right) / 2 - metrics.TextWidth(Font(), line) / 2;
}

TTitleLayout TChartTitle::Layout(TRect& chartRect, TextMetrics& metrics) const {
  TTitleLayout layout;
  layout.shown = visible_;
  layout.lineHeight = metrics.FontHeight(Font());
  const int f = FrameWidth();
  const int lines = static_cast<int>(text_.size());
  const int left = chartRect.Left + f;
  const int right = chartRect.Right - f;
  const int top = atTop_ ? chartRect.Top + f : chartRect.Bottom - f - lines * layout.lineHeight;
  const int bottom = top + lines * layout.lineHeight;
  layout.top = top;
  layout.rect = TRect{left - f, top - f, right + f, bottom + f};
  if (lines == 0) return layout;
  if (f > 0 && adjustFrame_) {
    int widest = 0;
    for (const std::string& line : text_)
      widest = std::max(widest, metrics.TextWidth(Font(), line));
    const int width = widest + 2 * frame_.Width();
    TRect& r = layout.rect;
    const int x = alignment_ == taLeftJustify    ? r.Left
                  : alignment_ == taRightJustify ? r.Right - width
                                                 : (r.Left + r.Right - width) / 2;
    r.Left = x;
    r.Right = x + width;
  }
  for (const std::string& line : text_) layout.lineX.push_back(LineX(metrics, line, left, right));
  if (atTop_) {
    chartRect.Top = bottom + 2 * f + 5;
  } else {
    chartRect.Bottom = top - 2 * f - 5;
  }
  return layout;
}

void TChartTitle::Draw(TCanvas3D& canvas, const TTitleLayout& layout) {
  canvas.Font().Assign(Font());
  if (brush_.Color() == clAutoColor) {
    canvas.Brush().SetStyle(bsClear);
  } else {
    canvas.Brush().SetColor(brush_.Color());
    canvas.Brush().SetStyle(brush_.Style());
  }
  if (layout.lineX.empty()) return;
  if (FrameWidth() > 0) {
    canvas.UsePen(frame_);
    canvas.Rectangle(layout.rect);
  }
  canvas.SetBackgroundMode(kBackModeTransparent);
  canvas.SetTextAlign(kTextAlignLeft | kTextAlignTop);
  const std::size_t lines = std::min(layout.lineX.size(), text_.size());
  for (std::size_t i = 0; i < lines; ++i) {
    canvas.TextOut(layout.lineX[i], layout.top + static_cast<int>(i) * layout.lineHeight, text_[i]);
  }
}

}  // namespace kolva::chart
