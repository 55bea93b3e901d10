// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <functional>

#include "chart/chart_canvas3d.h"
#include "chart/qt/qt_font_cache.h"

namespace kolva::chart::qt {

// The chart canvas on Qt: every primitive draws into the off-screen QImage
// (the buffer) with the engine's device semantics, which differ from
// QPainter's: a one-pixel line covers its start pixel but not its end,
// Rectangle(l, t, r, b) covers l .. r-1 by t .. b-1, and the pen's raster
// mode (copy, not-xor, ...) applies per pixel, each pixel once. One-pixel
// lines and rectangle outlines are rasterised here; wide lines, polygons,
// ellipses and text go through QPainter with the matching composition mode.
// The copy to the window goes through the painter the host gives for the
// paint. Without buffering there is no image to draw into, so nothing is
// drawn (the chart always buffers).
// The pixels of the image drawn into and the clip, inclusive, found once
// whenever the image or the clip changes.
struct PixelTarget {
  QRgb* bits = nullptr;
  qsizetype stride = 0;  // pixels per scan line
  int left = 0;
  int top = 0;
  int right = -1;
  int bottom = -1;
  bool Contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
  QRgb& At(int x, int y) const { return bits[static_cast<qsizetype>(y) * stride + x]; }
};

class QtChartCanvas : public TChartCanvas3D {
 public:
  // The window's painter for the current paint (nullptr outside a paint).
  void SetWindowPainter(QPainter* painter) { window_ = painter; }
  const QImage& BufferImage() const { return buffer_; }

 protected:
  void DoMoveTo(int x, int y) override;
  void DoLineTo(int x, int y) override;
  void DoRectangle(int x0, int y0, int x1, int y1) override;
  void DoFillRect(const TRect& r) override;
  void DoPolyline(std::span<const TPoint> points) override;
  void DoPolygon(std::span<const TPoint> points) override;
  void DoEllipse(int x0, int y0, int x1, int y1) override;
  void DoTextOut(int x, int y, const std::string& text) override;
  int DoTextWidth(const std::string& text) const override;
  int DoTextHeight(const std::string& text) const override;
  void DoClipToRect(const TRect& r) override;
  int DeviceWidth() const override;
  int DeviceHeight() const override;

  void CreateBuffer(int width, int height) override;
  void FreeBuffer() override;
  bool HasBuffer() const override { return !buffer_.isNull(); }
  void DrawToBuffer(bool toBuffer) override;
  void CopyBuffer(TPoint at) override;

 private:
  QImage* Target() { return target_; }
  void Plot(int x, int y);
  bool PatternOn();
  void OnePixelLine(int x0, int y0, int x1, int y1);
  void StraightSpan(int x0, int y0, int x1, int y1, QRgb color);
  void SolidLine(int x0, int y0, int x1, int y1, QRgb color);
  QPainter& Painter();
  void EndPainter();
  void UpdatePixels();
  void FillPixels(const QRect& area, QRgb color);
  void WithPainter(const std::function<void(QPainter&)>& draw, bool usePen, bool useBrush);
  QRect ClipArea() const;

  QImage buffer_;
  QPainter painter_;
  PixelTarget pixels_;
  mutable QtFontCache fonts_;
  QImage* target_ = nullptr;
  QPainter* window_ = nullptr;
  QRect clip_;
  bool clipped_ = false;
  int penX_ = 0;
  int penY_ = 0;
  int patternStep_ = 0;
};

// A device colour as Qt's 0xAARRGGBB (the special values lose their flags).
QRgb ToQRgb(TColor color);

}  // namespace kolva::chart::qt
