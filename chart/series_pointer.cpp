// SPDX-License-Identifier: MIT
#include "chart/series_pointer.h"

#include <array>

#include "chart/canvas.h"

namespace kolva::chart {

TSeriesPointer::TSeriesPointer(std::function<void()> changed) : changed_(std::move(changed)) {
  pen_.OnChange.Set([this] { changed_(); });
  brush_.OnChange.Set([this] { changed_(); });
}

// The canvas' pen and brush style are the caller's; the fill colour is the
// point's. Shapes span x - HorizSize .. x + HorizSize and y - VertSize ..
// y + VertSize.
void TSeriesPointer::Draw(TCanvas3D& canvas, int x, int y, TColor color,
                          TSeriesPointerStyle style) const {
  const int h = horizSize_;
  const int v = vertSize_;
  canvas.Brush().SetColor(color);
  switch (style) {
    case psRectangle:
      canvas.Rectangle(x - h, y - v, x + h + 1, y + v + 1);
      return;
    case psCircle:
      canvas.Ellipse(x - h, y - v, x + h + 1, y + v + 1);
      return;
    case psTriangle: {
      const std::array<TPoint, 3> p{TPoint{x - h, y + v}, TPoint{x + h, y + v}, TPoint{x, y - v}};
      canvas.Polygon(p);
      return;
    }
    case psDownTriangle: {
      const std::array<TPoint, 3> p{TPoint{x - h, y - v}, TPoint{x + h, y - v}, TPoint{x, y + v}};
      canvas.Polygon(p);
      return;
    }
    case psDiamond: {
      const std::array<TPoint, 4> p{TPoint{x, y - v}, TPoint{x + h, y}, TPoint{x, y + v},
                                    TPoint{x - h, y}};
      canvas.Polygon(p);
      return;
    }
    case psSmallDot:
      canvas.Pen().SetColor(color);
      canvas.Segment(x, y, x + 1, y);
      return;
    case psCross:
    case psDiagCross:
    case psStar:
      break;
  }
  // The line shapes are drawn in the point's colour.
  canvas.Pen().SetColor(color);
  if (style != psDiagCross) {
    canvas.Segment(x - h, y, x + h + 1, y);
    canvas.Segment(x, y - v, x, y + v + 1);
  }
  if (style != psCross) {
    canvas.Segment(x - h, y - v, x + h + 1, y + v + 1);
    canvas.Segment(x + h, y - v, x - h - 1, y + v + 1);
  }
}

}  // namespace kolva::chart
