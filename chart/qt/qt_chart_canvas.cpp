// SPDX-License-Identifier: MIT
#include "chart/qt/qt_chart_canvas.h"

#include "chart/qt/qt_raster_ops.h"

#include <algorithm>

#include <QFont>
#include <QFontMetrics>
#include <QPolygon>
#include <QString>
#include <array>
#include <cstdlib>
#include <span>

namespace kolva::chart::qt {

QRgb ToQRgb(TColor color) {
  return qRgb(RedOf(color), GreenOf(color), BlueOf(color));
}

void QtChartCanvas::CreateBuffer(int width, int height) {
  EndPainter();
  buffer_ = QImage(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
  buffer_.fill(Qt::white);
  clipped_ = false;
  UpdatePixels();
}

void QtChartCanvas::FreeBuffer() {
  EndPainter();
  target_ = nullptr;
  buffer_ = QImage();
  UpdatePixels();
}

void QtChartCanvas::DrawToBuffer(bool toBuffer) {
  EndPainter();
  target_ = toBuffer && !buffer_.isNull() ? &buffer_ : nullptr;
  clipped_ = false;
  UpdatePixels();
}

void QtChartCanvas::CopyBuffer(TPoint at) {
  EndPainter();
  if (window_) window_->drawImage(QPoint(at.X, at.Y), buffer_);
}

// The one painter of a paint, for text and the shapes Qt draws; pixels
// written directly go to the same memory.
QPainter& QtChartCanvas::Painter() {
  if (!painter_.isActive()) {
    painter_.begin(target_);
    UpdatePixels();
  }
  return painter_;
}

void QtChartCanvas::EndPainter() {
  if (painter_.isActive()) painter_.end();
}

void QtChartCanvas::UpdatePixels() {
  pixels_ = PixelTarget{};
  if (!target_) return;
  const QRect area = ClipArea();
  pixels_.bits = reinterpret_cast<QRgb*>(target_->bits());
  pixels_.stride = target_->bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
  pixels_.left = area.left();
  pixels_.top = area.top();
  pixels_.right = area.right();
  pixels_.bottom = area.bottom();
}

int QtChartCanvas::DeviceWidth() const {
  return target_ ? target_->width() : 0;
}
int QtChartCanvas::DeviceHeight() const {
  return target_ ? target_->height() : 0;
}

void QtChartCanvas::DoClipToRect(const TRect& r) {
  clip_ = QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1));
  clipped_ = true;
  UpdatePixels();
}

QRect QtChartCanvas::ClipArea() const {
  if (!target_) return {};
  QRect all = target_->rect();
  return clipped_ ? all.intersected(clip_) : all;
}

void QtChartCanvas::Plot(int x, int y) {
  if (!pixels_.Contains(x, y)) return;
  QRgb& pixel = pixels_.At(x, y);
  pixel = Rop(Pen().Mode(), ToQRgb(Pen().Color()), pixel);
}

// Advances the pen's style pattern by one pixel; answers whether it is on.
bool QtChartCanvas::PatternOn() {
  std::span<const int> pattern = PatternOf(Pen().Style());
  if (pattern.empty()) return true;
  int period = 0;
  for (int run : pattern) period += run;
  int at = patternStep_++ % period;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (at < pattern[i]) return i % 2 == 0;
    at -= pattern[i];
  }
  return true;
}

// Bresenham from (x0, y0) towards (x1, y1), the end pixel left out. A
// solid copy pen writes its colour: straight lines as one clipped span,
// others pixel by pixel against the clip found once.
void QtChartCanvas::OnePixelLine(int x0, int y0, int x1, int y1) {
  if (Pen().Style() == psSolid && Pen().Mode() == pmCopy) {
    const QRgb color = ToQRgb(Pen().Color());
    if (x0 == x1 || y0 == y1) {
      StraightSpan(x0, y0, x1, y1, color);
    } else {
      SolidLine(x0, y0, x1, y1, color);
    }
    return;
  }
  int dx = std::abs(x1 - x0);
  int dy = std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1;
  int sy = y0 < y1 ? 1 : -1;
  int err = dx - dy;
  int x = x0;
  int y = y0;
  // The pen's style pattern walked run by run, and its raster operation,
  // both found once for the line.
  const std::span<const int> pattern = PatternOf(Pen().Style());
  std::size_t run = 0;
  int left = 0;
  if (!pattern.empty()) {
    int period = 0;
    for (int length : pattern) period += length;
    left = patternStep_ % period;
    while (left >= pattern[run]) left -= pattern[run++];
    left = pattern[run] - left;  // pixels still to come in this run
  }
  const TPenMode mode = Pen().Mode();
  const QRgb color = ToQRgb(Pen().Color());
  const PixelTarget& t = pixels_;
  while (x != x1 || y != y1) {
    const bool on = pattern.empty() || run % 2 == 0;
    if (on && t.Contains(x, y)) t.At(x, y) = Rop(mode, color, t.At(x, y));
    if (!pattern.empty() && --left == 0) {
      run = (run + 1) % pattern.size();
      left = pattern[run];
    }
    ++patternStep_;
    int e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x += sx;
    }
    if (e2 < dx) {
      err += dx;
      y += sy;
    }
  }
}

void QtChartCanvas::StraightSpan(int x0, int y0, int x1, int y1, QRgb color) {
  const PixelTarget& t = pixels_;
  if (x0 == x1) {
    if (x0 < t.left || x0 > t.right || y0 == y1) return;
    int from = y1 > y0 ? y0 : y1 + 1;  // the end pixel y1 is left out
    int to = y1 > y0 ? y1 - 1 : y0;
    from = std::max(from, t.top);
    to = std::min(to, t.bottom);
    QRgb* pixel = t.bits + static_cast<qsizetype>(from) * t.stride + x0;
    for (int y = from; y <= to; ++y, pixel += t.stride) *pixel = color;
    return;
  }
  if (y0 < t.top || y0 > t.bottom) return;
  int from = std::max(x1 > x0 ? x0 : x1 + 1, t.left);
  int to = std::min(x1 > x0 ? x1 - 1 : x0, t.right);
  if (from <= to)
    std::fill_n(t.bits + static_cast<qsizetype>(y0) * t.stride + from, to - from + 1, color);
}

void QtChartCanvas::SolidLine(int x0, int y0, int x1, int y1, QRgb color) {
  const PixelTarget& t = pixels_;
  if (std::max(x0, x1) < t.left || std::min(x0, x1) > t.right || std::max(y0, y1) < t.top ||
      std::min(y0, y1) > t.bottom)
    return;
  const int dx = std::abs(x1 - x0);
  const int dy = std::abs(y1 - y0);
  const int sx = x0 < x1 ? 1 : -1;
  const int sy = y0 < y1 ? 1 : -1;
  int err = dx - dy;
  int x = x0;
  int y = y0;
  while (x != x1 || y != y1) {
    if (t.Contains(x, y)) t.At(x, y) = color;
    const int e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x += sx;
    }
    if (e2 < dx) {
      err += dx;
      y += sy;
    }
  }
}

void QtChartCanvas::DoMoveTo(int x, int y) {
  penX_ = x;
  penY_ = y;
  patternStep_ = 0;
}

void QtChartCanvas::DoLineTo(int x, int y) {
  if (target_ && Pen().Style() != psClear) {
    if (Pen().Width() <= 1) {
      OnePixelLine(penX_, penY_, x, y);
    } else {
      int x0 = penX_;
      int y0 = penY_;
      WithPainter([&](QPainter& p) { p.drawLine(x0, y0, x, y); }, true, false);
    }
  }
  penX_ = x;
  penY_ = y;
}

void QtChartCanvas::FillPixels(const QRect& area, QRgb color) {
  const PixelTarget& t = pixels_;
  const int left = std::max(area.left(), t.left);
  const int right = std::min(area.right(), t.right);
  if (left > right) return;
  const int top = std::max(area.top(), t.top);
  const int bottom = std::min(area.bottom(), t.bottom);
  for (int y = top; y <= bottom; ++y)
    std::fill_n(t.bits + static_cast<qsizetype>(y) * t.stride + left, right - left + 1, color);
}

void QtChartCanvas::DoFillRect(const TRect& r) {
  if (!target_ || r.Right <= r.Left || r.Bottom <= r.Top) return;
  QRect area(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1));
  if (Brush().Style() == bsSolid) {
    FillPixels(area, ToQRgb(Brush().Color()));
  } else if (Brush().Style() != bsClear) {
    if (BackgroundMode() == kBackModeOpaque) FillPixels(area, ToQRgb(BackgroundColor()));
    WithPainter([&](QPainter& p) { p.fillRect(area, p.brush()); }, false, true);
  }
}

void QtChartCanvas::DoRectangle(int x0, int y0, int x1, int y1) {
  if (!target_ || x1 <= x0 || y1 <= y0) return;
  DoFillRect(TRect{x0, y0, x1, y1});
  if (Pen().Style() == psClear) return;
  // Each outline pixel once, ring by ring inwards for wider pens, so a
  // not-xor outline drawn twice restores every pixel.
  int rings = std::max(1, Pen().Width());
  for (int i = 0; i < rings && x0 + i < x1 - i && y0 + i < y1 - i; ++i) {
    int l = x0 + i, t = y0 + i, r = x1 - 1 - i, b = y1 - 1 - i;
    patternStep_ = 0;
    for (int x = l; x <= r; ++x)
      if (PatternOn()) Plot(x, t);
    for (int y = t + 1; y <= b; ++y)
      if (PatternOn()) Plot(r, y);
    if (b > t)
      for (int x = r - 1; x >= l; --x)
        if (PatternOn()) Plot(x, b);
    if (r > l)
      for (int y = b - 1; y > t; --y)
        if (PatternOn()) Plot(l, y);
  }
}

void QtChartCanvas::DoPolyline(std::span<const TPoint> points) {
  if (points.empty()) return;
  int keepX = penX_;
  int keepY = penY_;
  DoMoveTo(points[0].X, points[0].Y);
  for (std::size_t i = 1; i < points.size(); ++i) DoLineTo(points[i].X, points[i].Y);
  penX_ = keepX;
  penY_ = keepY;
}

void QtChartCanvas::DoPolygon(std::span<const TPoint> points) {
  if (!target_ || points.empty()) return;
  QPolygon polygon;
  for (const TPoint& pt : points) polygon << QPoint(pt.X, pt.Y);
  WithPainter([&](QPainter& p) { p.drawPolygon(polygon); }, true, true);
}

void QtChartCanvas::DoEllipse(int x0, int y0, int x1, int y1) {
  if (!target_) return;
  WithPainter([&](QPainter& p) { p.drawEllipse(QRect(x0, y0, x1 - x0 - 1, y1 - y0 - 1)); }, true,
              true);
}

void QtChartCanvas::WithPainter(const std::function<void(QPainter&)>& draw, bool usePen,
                                bool useBrush) {
  QPainter& p = Painter();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setClipRect(ClipArea());
  if (usePen && Pen().Style() != psClear) {
    QPen pen(QColor(ToQRgb(Pen().Color())), std::max(1, Pen().Width()), QtPenStyle(Pen().Style()),
             Qt::FlatCap, Qt::MiterJoin);
    p.setPen(pen);
  } else {
    p.setPen(Qt::NoPen);
  }
  if (useBrush) {
    p.setBrush(QBrush(QColor(ToQRgb(Brush().Color())), QtBrushStyle(Brush().Style())));
  } else {
    p.setBrush(Qt::NoBrush);
  }
  p.setCompositionMode(CompositionOf(Pen().Mode()));
  draw(p);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void QtChartCanvas::DoTextOut(int x, int y, const std::string& text) {
  if (!target_ || text.empty()) return;
  QtFontCache::Entry& cached = fonts_.Get(Font());
  const QFontMetrics& metrics = cached.metrics;
  int width = fonts_.TextWidth(Font(), text);
  unsigned align = TextAlign();
  if ((align & kTextAlignHorizontalMask) == kTextAlignCenter)
    x -= width / 2;
  else if ((align & kTextAlignHorizontalMask) == kTextAlignRight)
    x -= width;
  if ((align & kTextAlignVerticalMask) == kTextAlignBaseline)
    y -= metrics.ascent();
  else if ((align & kTextAlignVerticalMask) == kTextAlignBottom)
    y -= metrics.height();
  QPainter& p = Painter();
  p.setClipRect(ClipArea());
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (BackgroundMode() == kBackModeOpaque)
    p.fillRect(QRect(x, y, width, metrics.height()), QColor(ToQRgb(BackgroundColor())));
  p.setFont(cached.font);
  p.setPen(QColor(ToQRgb(Font().Color())));
  p.drawStaticText(QPoint(x, y), fonts_.Layout(cached, text));
}

int QtChartCanvas::DoTextWidth(const std::string& text) const {
  return fonts_.TextWidth(Font(), text);
}

int QtChartCanvas::DoTextHeight(const std::string&) const {
  return fonts_.Get(Font()).metrics.height();
}

}  // namespace kolva::chart::qt
