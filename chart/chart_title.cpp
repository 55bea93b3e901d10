// SPDX-License-Identifier: MIT
#include "chart/chart_title.h"

#include <algorithm>

#include "chart/canvas.h"
#include "chart/custom_chart_panel.h"

namespace kolva::chart {

TChartFontObject::TChartFontObject(TCustomChartPanel& chart)
    : chart_(chart), font_(DefaultChartFont()) {
  font_.OnChange.Set([this] { Repaint(); });
}

void TChartFontObject::Repaint() const {
  chart_.Invalidate();
}

TChartTitle::TChartTitle(TCustomChartPanel& chart) : TChartFontObject(chart) {
  Font().SetColor(clBlue);
  brush_.OnChange.Set([this] { Repaint(); });
  frame_.OnChange.Set([this] { Repaint(); });
}

int TChartTitle::FrameWidth() const {
  return frame_.Visible() && frame_.Color() != clAutoColor ? frame_.Width() : 0;
}

int TChartTitle::LineX(TCanvas3D& canvas, const std::string& line, int left, int right) const {
  switch (alignment_) {
    case taLeftJustify:
      return left;
    case taRightJustify:
      return right - canvas.TextWidth(line);
    case taCenter:
      break;
  }
  return (left + right) / 2 - canvas.TextWidth(line) / 2;
}

void TChartTitle::Draw(TCanvas3D& canvas, TRect& chartRect, bool atTop) {
  canvas.Font().Assign(Font());
  int lineHeight = canvas.FontHeight();
  if (brush_.Color() == clAutoColor) {
    canvas.Brush().SetStyle(bsClear);
  } else {
    canvas.Brush().SetColor(brush_.Color());
    canvas.Brush().SetStyle(brush_.Style());
  }
  int f = FrameWidth();
  int lines = static_cast<int>(text_.size());
  int left = chartRect.Left + f;
  int right = chartRect.Right - f;
  int top = atTop ? chartRect.Top + f : chartRect.Bottom - f - lines * lineHeight;
  int bottom = top + lines * lineHeight;
  titleRect_ = TRect{left - f, top - f, right + f, bottom + f};
  if (lines == 0) return;
  if (f > 0) {
    if (adjustFrame_) {
      int widest = 0;
      for (const std::string& line : text_) widest = std::max(widest, canvas.TextWidth(line));
      int width = widest + 2 * frame_.Width();
      int x = alignment_ == taLeftJustify    ? titleRect_.Left
              : alignment_ == taRightJustify ? titleRect_.Right - width
                                             : (titleRect_.Left + titleRect_.Right - width) / 2;
      titleRect_.Left = x;
      titleRect_.Right = x + width;
    }
    canvas.UsePen(frame_);
    canvas.Rectangle(titleRect_);
  }
  canvas.SetBackgroundMode(kBackModeTransparent);
  canvas.SetTextAlign(kTextAlignLeft | kTextAlignTop);
  for (int i = 0; i < lines; ++i) {
    const std::string& line = text_[static_cast<std::size_t>(i)];
    canvas.TextOut(LineX(canvas, line, left, right), top + i * lineHeight, line);
  }
  if (atTop) {
    chartRect.Top = bottom + 2 * f + 5;
  } else {
    chartRect.Bottom = top - 2 * f - 5;
  }
}

}  // namespace kolva::chart
