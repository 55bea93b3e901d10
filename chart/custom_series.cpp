// SPDX-License-Identifier: MIT
#include "chart/custom_series.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "chart/custom_axis_panel.h"

namespace kolva::chart {
namespace {

bool Drawable(int x, int y) {
  return x >= -kMaxDrawablePixel && x <= kMaxDrawablePixel && y >= -kMaxDrawablePixel &&
         y <= kMaxDrawablePixel;
}

}  // namespace

namespace {

// The first index from `from` on whose x is not below `limit`, or the count
// when there is none, over ascending read values.
int FirstNotBelow(const TChartValueList& x, int from, double limit) {
  return x.FirstReadWhere(from, [limit](double v) { return !(v < limit); });
}

// VisibleRangeOf for a list read in ascending order: the scans' stopping
// points found by binary search.
VisibleRange AscendingVisibleRange(const TChartValueList& x, double lo, double hi,
                                   bool drawBeyondEdge) {
  const int n = x.ValueCount() - 1;
  const int first = FirstNotBelow(x, 0, lo);
  if (first > n) return {};
  if (x.ValueAt(n) <= hi) return {first, n};
  int last = std::min(FirstNotBelow(x, first, hi), n);
  if (!drawBeyondEdge && x.ValueAt(last) > hi) --last;
  return {first, last};
}

}  // namespace

VisibleRange VisibleRangeOf(const TChartValueList& x, double lo, double hi, bool drawBeyondEdge) {
  const int n = x.ValueCount() - 1;
  if (n < 0) return {};
  if (x.ReadAscending()) return AscendingVisibleRange(x, lo, hi, drawBeyondEdge);
  int first = 0;
  while (x.Value(first) < lo) {
    if (++first > n) return {};
  }
  if (x.LastValue() <= hi) return {first, n};
  int last = first;
  while (x.Value(last) < hi) {
    if (++last > n) {
      last = n;
      break;
    }
  }
  if (!drawBeyondEdge && x.Value(last) > hi) --last;
  return {first, last};
}

std::optional<LineSegment> LineTrace::Advance(int x, int y, TColor c, LineJoin join,
                                              const LineEntry& entry) {
  if (!Drawable(x, y)) return std::nullopt;
  if (PreviousColor == clNone) {
    PreviousX = x;
    PreviousY = y;
  }
  bool joined = join == LineJoin::kFromPrevious;
  if (join == LineJoin::kFromEntry) {
    PreviousX = entry.x;
    PreviousY = entry.y;
    joined = !entry.previousIsNone;
  }
  std::optional<LineSegment> segment;
  if (joined && (x != PreviousX || y != PreviousY) && c != clNone)
    segment = LineSegment{PreviousX, PreviousY, x, y, c};
  PreviousX = x;
  PreviousY = y;
  PreviousColor = c;
  return segment;
}

int EntryPixelY(const AxisMapping& vertical, double x0, double y0, double x1, double y1,
                double xEdge) {
  if (x1 == x0) return ValueToPixel(vertical, y0);
  const long double dy = static_cast<long double>(y1) - y0;
  const long double dx = static_cast<long double>(x1) - x0;
  const long double y = y0 + dy * (static_cast<long double>(xEdge) - x0) / dx;
  return ValueToPixel(vertical, static_cast<double>(y));
}

bool IsOnSegment(TPoint p, TPoint a, TPoint b) {
  // Differences in 64 bits: a pixel far off the plot saturates at the int
  // limits, and their difference does not fit an int.
  const auto d = [](int u, int v) { return static_cast<long long>(u) - v; };
  const long long cross = d(p.X, a.X) * d(b.Y, a.Y) - d(p.Y, a.Y) * d(b.X, a.X);
  const long long extent = std::max(std::llabs(static_cast<long long>(b.X) - a.X),
                                    std::llabs(static_cast<long long>(b.Y) - a.Y));
  if (std::llabs(cross) >= extent) return false;
  return p.X >= std::min(a.X, b.X) && p.X <= std::max(a.X, b.X) && p.Y >= std::min(a.Y, b.Y) &&
         p.Y <= std::max(a.Y, b.Y);
}

TCustomSeries::TCustomSeries(std::string name)
    : TChartSeries(std::move(name)), pointer_([this] { RequestRepaint(); }) {
  linePen_.OnChange.Set([this] { RequestRepaint(); });
  areaLinesPen_.OnChange.Set([this] { RequestRepaint(); });
  SetDrawBeyondEdge(true);
}

TCustomChartAxis* TCustomSeries::GetHorizAxis() const {
  TCustomAxisPanel* chart = ParentChart();
  if (chart == nullptr) return nullptr;
  return HorizAxis() == aTopAxis ? &chart->TopAxis() : &chart->BottomAxis();
}

TCustomChartAxis* TCustomSeries::GetVertAxis() const {
  TCustomAxisPanel* chart = ParentChart();
  if (chart == nullptr) return nullptr;
  return VertAxis() == aRightAxis ? &chart->RightAxis() : &chart->LeftAxis();
}

int TCustomSeries::PixelX(int index) const {
  const TCustomChartAxis* axis = GetHorizAxis();
  return axis ? axis->ValueToPixel(XValue(index)) : 0;
}

int TCustomSeries::PixelY(int index) const {
  const TCustomChartAxis* axis = GetVertAxis();
  return axis ? axis->ValueToPixel(YValue(index)) : 0;
}

TCanvas3D& TCustomSeries::Canvas() const {
  return ParentChart()->ChartCanvas();
}

void TCustomSeries::CalcVisibleRange() {
  const TCustomChartAxis* axis = GetHorizAxis();
  if (PointCount() == 0) {
    SetVisibleRange(-1, -1);
    return;
  }
  if (!LimitToVisibleRange() || XValues().Order() == loNone || axis == nullptr) {
    SetVisibleRange(0, PointCount() - 1);
    return;
  }
  const TRect& plot = ParentChart()->ChartRect;
  const bool inverted = axis->Inverted();
  const double lo = axis->PixelToValue(inverted ? plot.Right : plot.Left);
  const double hi = axis->PixelToValue(inverted ? plot.Left : plot.Right);
  const VisibleRange range = VisibleRangeOf(XValues(), lo, hi, DrawBeyondEdge());
  SetVisibleRange(range.first, range.last);
}

void TCustomSeries::DrawPoints() {
  if (ParentChart() == nullptr) return;
  horizMapping_ = GetHorizAxis()->Mapping();
  vertMapping_ = GetVertAxis()->Mapping();
  // The first visible point starts the line afresh; should it be skipped
  // (beyond the pixel range), the next drawable point starts it instead, so
  // that nothing of an earlier paint shows.
  trace_.PreviousColor = clNone;
  xPixel_ = PixelMapper(horizMapping_);
  yPixel_ = PixelMapper(vertMapping_);
  if (DrawPointsReduced()) return;
  TChartSeries::DrawPoints();
}

// Called by DrawPoints, which takes the axes' mappings for the paint.
void TCustomSeries::DrawPoint(int index) {
  const int x = ValueToPixel(horizMapping_, XValue(index));
  const int y = ValueToPixel(vertMapping_, YValue(index));
  if (!Drawable(x, y)) return;
  const TColor c = PointColor(index);
  TCanvas3D& canvas = Canvas();
  canvas.Pen().SetColor(clBlack);
  canvas.Brush().SetColor(c);
  LineJoin join = LineJoin::kFromPrevious;
  LineEntry entry;
  if (index == FirstVisibleIndex()) {
    join = index > 0 ? LineJoin::kFromEntry : LineJoin::kStart;
    if (index > 0) entry = EntryOf(index);
  }
  const LineTrace before = trace_;
  const std::optional<LineSegment> segment = trace_.Advance(x, y, c, join, entry);
  if (segment && drawLines_) DrawSegment(*segment);
  if (!pointer_.Visible()) return;
  if (join == LineJoin::kFromPrevious && before.PreviousColor != clNone)
    DrawPointerAt(index - 1, before.PreviousX, before.PreviousY, before.PreviousColor);
  if (index == LastVisibleIndex()) DrawPointerAt(index, x, y, c);
}

LineEntry TCustomSeries::EntryOf(int index) const {
  const TCustomAxisPanel& chart = *ParentChart();
  LineEntry entry;
  entry.x = horizMapping_.inverted ? chart.ChartRect.Right : chart.ChartRect.Left;
  entry.previousIsNone = PointColor(index - 1) == clNone;
  if (stairs_) {
    entry.y = ValueToPixel(vertMapping_, YValue(index - 1));
    return entry;
  }
  const double xEdge = chart.ChartWidth > 0 ? PixelToValue(horizMapping_, entry.x) : 0.0;
  entry.y = EntryPixelY(vertMapping_, XValue(index - 1), YValue(index - 1), XValue(index),
                        YValue(index), xEdge);
  return entry;
}

void TCustomSeries::DrawSegment(const LineSegment& s) {
  TCanvas3D& canvas = Canvas();
  canvas.UsePen(linePen_);
  canvas.Brush().SetStyle(bsClear);
  canvas.Pen().SetColor(s.color);
  if (!stairs_) {
    canvas.Segment(s.x0, s.y0, s.x1, s.y1);
  } else if (invertedStairs_) {
    canvas.VerticalSegment(s.x0, s.y0, s.y1);
    canvas.LineTo(s.x1, s.y1);
  } else {
    canvas.HorizontalSegment(s.x0, s.x1, s.y0);
    canvas.LineTo(s.x1, s.y1);
  }
}

TSeriesPointerStyle TCustomSeries::PointerStyleOf(int index) {
  return OnGetPointerStyle ? OnGetPointerStyle(*this, index) : pointer_.Style();
}

void TCustomSeries::DrawPointerAt(int index, int x, int y, TColor color) {
  if (color == clNone) return;
  TCanvas3D& canvas = Canvas();
  canvas.UsePen(pointer_.Pen());
  canvas.Brush().SetStyle(pointer_.Brush().Style());
  pointer_.Draw(canvas, x, y, color, PointerStyleOf(index));
}

void TCustomSeries::CalcHorizMargins(int& low, int& high) const {
  low = high = 0;
  if (pointer_.Visible() && pointer_.InflateMargins()) low = high = pointer_.HorizSize() + 1;
}

void TCustomSeries::CalcVerticalMargins(int& low, int& high) const {
  low = high = 0;
  if (pointer_.Visible() && pointer_.InflateMargins()) low = high = pointer_.VertSize() + 1;
}

void TCustomSeries::LegendSymbol(int index, const TRect& rect) {
  if (ParentChart() == nullptr) return;
  if (index < 0 && ColorEachPoint()) return;
  const TColor color = index < 0 ? SeriesColor() : PointColor(index);
  if (color == clNone) return;
  TCanvas3D& canvas = Canvas();
  canvas.UsePen(linePen_);
  canvas.Brush().SetStyle(lineBrush_);
  if (pointer_.Visible()) {
    canvas.UsePen(pointer_.Pen());
    canvas.Brush().SetStyle(pointer_.Brush().Style());
    pointer_.Draw(canvas, (rect.Left + rect.Right) / 2, (rect.Top + rect.Bottom) / 2, color,
                  pointer_.Style());
  } else if (drawLines_ && !drawArea_) {
    canvas.Pen().SetColor(color);
    canvas.Brush().SetStyle(bsClear);
    canvas.HorizontalSegment(rect.Left, rect.Right, (rect.Top + rect.Bottom) / 2);
  } else {
    canvas.Brush().SetColor(color);
    canvas.Rectangle(rect);
  }
}

int TCustomSeries::Clicked(int x, int y) const {
  int from = 0;
  int to = 0;
  if (!ClickRange(x, from, to)) return ClickedByScan(x, y);
  return ClickedIn(x, y, from, to);
}

int TCustomSeries::ClickedByScan(int x, int y) const {
  if (ParentChart() == nullptr || FirstVisibleIndex() < 0) return -1;
  return ClickedIn(x, y, FirstVisibleIndex(), std::min(LastVisibleIndex(), PointCount() - 1));
}

int TCustomSeries::ClickedIn(int x, int y, int from, int to) const {
  const int first = FirstVisibleIndex();
  TPoint previous;
  if (from > first) previous = TPoint{PixelX(from - 1), PixelY(from - 1)};
  for (int i = from; i <= to; ++i) {
    const TPoint p{PixelX(i), PixelY(i)};
    if (pointer_.Visible() && std::llabs(static_cast<long long>(x) - p.X) <= pointer_.HorizSize() &&
        std::llabs(static_cast<long long>(y) - p.Y) <= pointer_.VertSize())
      return i;
    if (p.X == x && p.Y == y) return i;
    if (clickableLine_ && i > first && IsOnSegment(TPoint{x, y}, p, previous)) return i - 1;
    previous = p;
  }
  return -1;
}

// A hit at pixel x needs a point within the pointer's half width of x (or
// on x), or a segment whose ends lie on both sides of x. When every step
// from value to pixel keeps order (finite range, non-zero extent, finite x
// values), the pixels of ascending x values run one way, so those points
// form one index range, found by binary search; the segments across x are
// the ones entering and leaving it. The scan keeps index order, so the
// first hit is the full scan's.
bool TCustomSeries::ClickRange(int x, int& from, int& to) const {
  const TCustomChartAxis* axis = GetHorizAxis();
  if (ParentChart() == nullptr || axis == nullptr || FirstVisibleIndex() < 0) return false;
  const int first = FirstVisibleIndex();
  const int last = std::min(LastVisibleIndex(), PointCount() - 1);
  if (last < first || !XValues().ReadAscending()) return false;
  const AxisMapping m = axis->Mapping();
  if (m.low == m.high || !std::isfinite(m.rangeMin) || !std::isfinite(m.rangeSpan) ||
      !std::isfinite(XValue(first)) || !std::isfinite(XValue(last)))
    return false;
  const long long sign = PixelX(first) <= PixelX(last) ? 1 : -1;
  const auto key = [&](int i) { return sign * PixelX(i); };
  const long long reach = pointer_.Visible() ? std::max(pointer_.HorizSize(), 0) : 0;
  const long long lo = sign * x - reach;
  const long long hi = sign * x + reach;
  // The first index from `start` whose key passes `beyond`, else last + 1.
  const auto firstWhere = [&](int start, auto beyond) {
    int end = last + 1;
    while (start < end) {
      const int mid = start + (end - start) / 2;
      if (beyond(key(mid)))
        end = mid;
      else
        start = mid + 1;
    }
    return start;
  };
  from = firstWhere(first, [&](long long k) { return k >= lo; });
  const int past = firstWhere(from, [&](long long k) { return k > hi; });
  // The point just past the range ends the segment leaving it.
  to = std::min(past, last);
  from = std::min(from, to);
  return true;
}

bool TCustomSeries::MouseMove(TShiftState /*shift*/, int x, int y) {
  return Active() && Cursor() != crDefault && Clicked(x, y) != -1;
}

}  // namespace kolva::chart
