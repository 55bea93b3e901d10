// SPDX-License-Identifier: MIT
#pragma once

#include <span>
#include <string>

#include "chart/chart_brush.h"
#include "chart/chart_font.h"
#include "chart/chart_pen.h"
#include "chart/geometry.h"
#include "chart/view3d_options.h"

namespace kolva::chart {

// Text alignment flags of the device: one horizontal and one vertical flag.
inline constexpr unsigned kTextAlignLeft = 0;
inline constexpr unsigned kTextAlignRight = 2;
inline constexpr unsigned kTextAlignCenter = 6;
inline constexpr unsigned kTextAlignTop = 0;
inline constexpr unsigned kTextAlignBottom = 8;
inline constexpr unsigned kTextAlignBaseline = 24;
inline constexpr unsigned kTextAlignHorizontalMask = 6;
inline constexpr unsigned kTextAlignVerticalMask = 24;

// Background modes for text and hatches.
inline constexpr int kBackModeTransparent = 1;
inline constexpr int kBackModeOpaque = 2;

// The drawing surface every chart object draws through. It holds the
// device's current pen, brush, font, text alignment and background; the
// primitives use them as they stand when called. Device semantics: integer
// pixels; a line from A to B covers A but not B; Rectangle(l, t, r, b)
// outlines and fills l .. r-1 by t .. b-1; FillRect the same without the
// outline; text is placed by the alignment flags at (x, y).
//
// The chart runs in flat mode: every form taking a depth z ignores it.
class TCanvas3D {
 public:
  virtual ~TCanvas3D() = default;

  TPen& Pen() { return pen_; }
  TBrush& Brush() { return brush_; }
  TFont& Font() { return font_; }
  const TPen& Pen() const { return pen_; }
  const TBrush& Brush() const { return brush_; }
  const TFont& Font() const { return font_; }
  unsigned TextAlign() const { return textAlign_; }
  void SetTextAlign(unsigned flags) { textAlign_ = flags; }
  TColor BackgroundColor() const { return backColor_; }
  void SetBackgroundColor(TColor color) { backColor_ = color; }
  int BackgroundMode() const { return backMode_; }
  void SetBackgroundMode(int mode) { backMode_ = mode; }

  // The off-screen image cycle of one paint.
  virtual TRect BeginDrawing(const TView3DOptions& options, const TRect& bounds, bool is3D) = 0;
  virtual bool ReuseBuffer(TPoint at) = 0;
  virtual void CopyBufferToWindow(TPoint at) = 0;
  virtual void MarkBufferDirty() = 0;

  void MoveTo(int x, int y) { DoMoveTo(x, y); }
  void LineTo(int x, int y) { DoLineTo(x, y); }
  void MoveTo(int x, int y, int /*z*/) { DoMoveTo(x, y); }
  void LineTo(int x, int y, int /*z*/) { DoLineTo(x, y); }
  void Segment(int x0, int y0, int x1, int y1);
  void HorizontalSegment(int x0, int x1, int y) { Segment(x0, y, x1, y); }
  void VerticalSegment(int x, int y0, int y1) { Segment(x, y0, x, y1); }
  void HorizontalSegment(int x0, int x1, int y, int /*z*/) { Segment(x0, y, x1, y); }
  void VerticalSegment(int x, int y0, int y1, int /*z*/) { Segment(x, y0, x, y1); }
  void Rectangle(int x0, int y0, int x1, int y1) { DoRectangle(x0, y0, x1, y1); }
  void Rectangle(const TRect& r) { DoRectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void Rectangle(const TRect& r, int /*z*/) { Rectangle(r); }
  void FillRect(const TRect& r) { DoFillRect(r); }
  void Polyline(std::span<const TPoint> points) { DoPolyline(points); }
  void Polygon(std::span<const TPoint> points) { DoPolygon(points); }
  void Ellipse(int x0, int y0, int x1, int y1) { DoEllipse(x0, y0, x1, y1); }
  void TextOut(int x, int y, const std::string& text) { DoTextOut(x, y, text); }
  // Flat mode: a zoom factor other than 1 scales the font for the one call.
  void TextOut(int x, int y, int z, const std::string& text);

  // Text extents in the current font; 0 when the device cannot measure.
  int TextWidth(const std::string& text) const { return DoTextWidth(text); }
  int TextHeight(const std::string& text) const { return DoTextHeight(text); }
  int FontHeight() const { return TextHeight("W"); }

  void ClipToRect(const TRect& r) { DoClipToRect(r); }
  // Flat mode: the box's rectangle moved in by one pixel at the left, the
  // top and the bottom.
  void ClipToBox(const TRect& r, int zMin, int zMax);
  // The whole device becomes the clip region.
  void RemoveClip() { DoClipToRect(TRect{0, 0, DeviceWidth(), DeviceHeight()}); }

  // Copies a visible pen's colour, width, style and mode to the device pen;
  // an invisible pen only sets the style to psClear.
  void UsePen(const TChartPen& pen);
  // Pen black, width 1, solid, copy; brush white, solid; font black, size
  // 10; background white and opaque.
  void ResetAttributes();

  double ZoomFactor() const { return zoomFactor_; }

 protected:
  virtual void DoMoveTo(int x, int y) = 0;
  virtual void DoLineTo(int x, int y) = 0;
  virtual void DoRectangle(int x0, int y0, int x1, int y1) = 0;
  virtual void DoFillRect(const TRect& r) = 0;
  virtual void DoPolyline(std::span<const TPoint> points) = 0;
  virtual void DoPolygon(std::span<const TPoint> points) = 0;
  virtual void DoEllipse(int x0, int y0, int x1, int y1) = 0;
  virtual void DoTextOut(int x, int y, const std::string& text) = 0;
  virtual int DoTextWidth(const std::string& text) const = 0;
  virtual int DoTextHeight(const std::string& text) const = 0;
  virtual void DoClipToRect(const TRect& r) = 0;
  // The device's horizontal and vertical resolution in pixels.
  virtual int DeviceWidth() const = 0;
  virtual int DeviceHeight() const = 0;

  double zoomFactor_ = 1.0;

 private:
  TPen pen_;
  TBrush brush_;
  TFont font_;
  unsigned textAlign_ = kTextAlignLeft | kTextAlignTop;
  TColor backColor_ = clWhite;
  int backMode_ = kBackModeOpaque;
};

}  // namespace kolva::chart
