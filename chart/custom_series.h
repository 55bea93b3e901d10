// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "chart/axis_scale.h"
#include "chart/chart_brush.h"
#include "chart/chart_mouse.h"
#include "chart/chart_pen.h"
#include "chart/chart_series.h"
#include "chart/series_pointer.h"

namespace kolva::chart {

class TCanvas3D;
class TCustomChartAxis;

// --- Calculations of a line, without a canvas ------------------------------

// The indices a paint draws: first and last, both -1 when none.
struct VisibleRange {
  int first = -1;
  int last = -1;
  friend bool operator==(const VisibleRange&, const VisibleRange&) = default;
};

// The visible range over an ascending X list for the plot's horizontal
// extent lo .. hi in values: from the first x at or past lo to the first x
// at or past hi (one before it without `drawBeyondEdge`, when it lies past
// hi); every point from the first on when the last x is within hi.
VisibleRange VisibleRangeOf(const TChartValueList& x, double lo, double hi, bool drawBeyondEdge);

// Pixel coordinates a segment can be sent to the device with.
inline constexpr int kMaxDrawablePixel = 32766;

// One segment of a line in device pixels and the colour it is drawn in.
struct LineSegment {
  int x0 = 0;
  int y0 = 0;
  int x1 = 0;
  int y1 = 0;
  TColor color = 0;
  friend bool operator==(const LineSegment&, const LineSegment&) = default;
};

// How the point a trace advances to is joined to what came before it.
enum class LineJoin {
  kFromPrevious,  // from where the trace stands
  kStart,         // the first point of the series: no segment
  kFromEntry,     // the first visible point after others: from the edge
};

// Where the segment into the first visible point starts (on the plot's
// entry edge), and whether the point before it is of colour clNone.
struct LineEntry {
  int x = 0;
  int y = 0;
  bool previousIsNone = false;
};

// PreviousX, PreviousY and PreviousColor of a line being drawn, and the rule
// that turns the next point into a segment.
struct LineTrace {
  int PreviousX = 0;
  int PreviousY = 0;
  TColor PreviousColor = 0;

  // Moves the trace to the point (x, y) of colour c and answers the segment
  // that ends there, if one is drawn. A point outside -32766 .. 32766 is
  // skipped: no segment and the trace stays. No segment leaves a clNone
  // point, none is drawn in clNone, and none joins two points on one pixel.
  std::optional<LineSegment> Advance(int x, int y, TColor c, LineJoin join,
                                     const LineEntry& entry = {});
};

// The pixel height where the line from (x0, y0) to (x1, y1) crosses
// x = xEdge, computed in extended precision; the pixel of y0 when x0 = x1.
int EntryPixelY(const AxisMapping& vertical, double x0, double y0, double x1, double y1,
                double xEdge);

// True when p lies on the segment from `a` to `b`: within about a pixel of
// the line (the absolute cross product of p - a and b - a under the larger
// of the segment's x and y extents) and between the ends, ends included.
bool IsOnSegment(TPoint p, TPoint a, TPoint b);

// --- The series -------------------------------------------------------------

// A series drawn point by point: lines between the points, a pointer at
// each, or a filled area. Flat drawing only; the 3D ribbon, stairs shading
// and area filling are kept as settings.
class TCustomSeries : public TChartSeries {
 public:
  using PointerClickEvent = std::function<void(TCustomSeries&, int, int, int)>;
  using PointerStyleEvent = std::function<TSeriesPointerStyle(TCustomSeries&, int)>;

  explicit TCustomSeries(std::string name = {});

  TBrushStyle AreaBrush() const { return areaBrush_; }
  void SetAreaBrush(TBrushStyle value) { Change(areaBrush_, value); }
  TColor AreaColor() const { return areaColor_; }
  void SetAreaColor(TColor value) { Change(areaColor_, value); }
  TChartPen& AreaLinesPen() { return areaLinesPen_; }
  bool ClickableLine() const { return clickableLine_; }
  void SetClickableLine(bool value) { Change(clickableLine_, value); }
  bool Dark3D() const { return dark3D_; }
  void SetDark3D(bool value) { Change(dark3D_, value); }
  bool DrawArea() const { return drawArea_; }
  void SetDrawArea(bool value) { Change(drawArea_, value); }
  bool DrawLines() const { return drawLines_; }
  void SetDrawLines(bool value) { Change(drawLines_, value); }
  bool InvertedStairs() const { return invertedStairs_; }
  void SetInvertedStairs(bool value) { Change(invertedStairs_, value); }
  TBrushStyle LineBrush() const { return lineBrush_; }
  void SetLineBrush(TBrushStyle value) { Change(lineBrush_, value); }
  TChartPen& LinePen() { return linePen_; }
  const TChartPen& LinePen() const { return linePen_; }
  TSeriesPointer& Pointer() { return pointer_; }
  const TSeriesPointer& Pointer() const { return pointer_; }
  bool Stairs() const { return stairs_; }
  void SetStairs(bool value) { Change(stairs_, value); }

  PointerClickEvent OnClickPointer;
  PointerStyleEvent OnGetPointerStyle;

  // Lines with ascending x are drawn through a per-pixel-column reduction
  // whenever its picture is exactly the one drawing every segment gives;
  // off, every segment is drawn (the reference the reduction is held to).
  bool ReducedDrawing() const { return reducedDrawing_; }
  void SetReducedDrawing(bool value) { reducedDrawing_ = value; }

  // Where the next segment starts and the colour of the last point drawn.
  const LineTrace& Trace() const { return trace_; }

  // The horizontal and vertical axes the series is drawn against (null
  // without a chart).
  TCustomChartAxis* GetHorizAxis() const;
  TCustomChartAxis* GetVertAxis() const;
  int PixelX(int index) const;
  int PixelY(int index) const;

  void CalcVisibleRange() override;
  void DrawPoints() override;
  void DrawPoint(int index) override;
  void CalcHorizMargins(int& low, int& high) const override;
  void CalcVerticalMargins(int& low, int& high) const override;
  void LegendSymbol(int index, const TRect& rect) override;

  // The point under (x, y), or the point a segment under it starts from;
  // -1 when none. With the x values ascending only the points near x are
  // tested (found by binary search); the answer is ClickedByScan's.
  int Clicked(int x, int y) const;
  // The same test over every visible point, first hit in index order.
  int ClickedByScan(int x, int y) const;

  // The chart passes every mouse move outside a drag, and every release, to
  // each of its series, in list order and in client coordinates. A move
  // answers whether the series takes the chart's cursor: it is active, has
  // a Cursor of its own (not crDefault) and a point under the mouse. Kinds
  // that react to the mouse otherwise override these.
  virtual bool MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton /*button*/, TShiftState /*shift*/, int /*x*/, int /*y*/) {}

 private:
  template <typename T>
  void Change(T& field, const T& value) {
    if (field == value) return;
    field = value;
    RequestRepaint();
  }
  TCanvas3D& Canvas() const;
  // The click test over the visible indices from .. to; the segment that
  // ends at `from` counts when from is past the first visible index.
  int ClickedIn(int x, int y, int from, int to) const;
  // The visible indices whose points or segments can be hit at pixel x,
  // when the x values are ascending and map monotonically; false when the
  // whole visible range must be scanned.
  bool ClickRange(int x, int& from, int& to) const;
  LineEntry EntryOf(int index) const;
  // The reduction (custom_series_reduced.cpp): false, drawing nothing,
  // when it cannot promise the every-segment picture.
  bool CanDrawReduced() const;
  bool DrawPointsReduced();
  struct Run;
  void DrawRunReduced(const Run& run);
  int ColumnEnd(int from, int last, int column, int guess) const;
  bool LastPixelCovered(int first, int last, int lastY, int startY, bool startInColumn) const;
  void DrawSegment(const LineSegment& segment);
  void DrawPointerAt(int index, int x, int y, TColor color);
  TSeriesPointerStyle PointerStyleOf(int index);

  TBrushStyle areaBrush_ = bsSolid;
  TColor areaColor_ = clAutoColor;
  TChartPen areaLinesPen_;
  bool clickableLine_ = true;
  bool dark3D_ = true;
  bool drawArea_ = false;
  bool drawLines_ = false;
  bool invertedStairs_ = false;
  TBrushStyle lineBrush_ = bsSolid;
  TChartPen linePen_;
  TSeriesPointer pointer_;
  bool stairs_ = false;
  LineTrace trace_;
  // The axes' mappings, taken once per DrawPoints.
  AxisMapping horizMapping_;
  AxisMapping vertMapping_;
  PixelMapper xPixel_;
  PixelMapper yPixel_;
  bool reducedDrawing_ = true;
};

}  // namespace kolva::chart
