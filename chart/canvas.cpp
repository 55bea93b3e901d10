// SPDX-License-Identifier: MIT
#include "chart/canvas.h"

#include <cmath>

namespace kolva::chart {

void TCanvas3D::Segment(int x0, int y0, int x1, int y1) {
  DoMoveTo(x0, y0);
  DoLineTo(x1, y1);
}

void TCanvas3D::TextOut(int x, int y, int /*z*/, const std::string& text) {
  if (zoomFactor_ == 1.0) {
    DoTextOut(x, y, text);
    return;
  }
  int oldHeight = font_.Height();
  int scaled = static_cast<int>(std::lround(oldHeight * zoomFactor_));
  if (scaled == 0) scaled = oldHeight < 0 ? -1 : 1;
  font_.SetHeight(scaled);
  DoTextOut(x, y, text);
  font_.SetHeight(oldHeight);
}

void TCanvas3D::ClipToBox(const TRect& r, int /*zMin*/, int /*zMax*/) {
  DoClipToRect(TRect{r.Left + 1, r.Top + 1, r.Right, r.Bottom - 1});
}

void TCanvas3D::UsePen(const TChartPen& pen) {
  if (!pen.Visible()) {
    pen_.SetStyle(psClear);
    return;
  }
  pen_.SetColor(pen.Color());
  pen_.SetWidth(pen.Width());
  pen_.SetStyle(pen.Style());
  pen_.SetMode(pen.Mode());
}

void TCanvas3D::ResetAttributes() {
  pen_.SetColor(clBlack);
  pen_.SetWidth(1);
  pen_.SetStyle(psSolid);
  brush_.SetColor(clWhite);
  brush_.SetStyle(bsSolid);
  font_.SetColor(clBlack);
  font_.SetSize(10);
  backColor_ = clWhite;
  backMode_ = kBackModeOpaque;
}

}  // namespace kolva::chart
