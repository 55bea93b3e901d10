// SPDX-License-Identifier: MIT
// A line with ascending x drawn through a per-pixel-column reduction. The
// points of one pixel column are joined by vertical segments only, so what
// they draw in that column is the span from their lowest to their highest
// pixel, less at most the pixel of the last point (a segment leaves out its
// end pixel). The segments between columns are drawn as they are. Within a
// run of points of one colour the order of drawing changes nothing, so the
// picture is exactly the one that drawing every segment gives; runs are
// drawn in point order, as every segment would be.
#include <algorithm>
#include <cmath>

#include "chart/custom_axis_panel.h"
#include "chart/custom_series.h"

namespace kolva::chart {
namespace {

bool InPixelRange(int p) {
  return p >= -kMaxDrawablePixel && p <= kMaxDrawablePixel;
}

}  // namespace

// Points first .. last of one colour (not clNone); the segment into the
// first starts at (startX, startY) when hasStart.
struct TCustomSeries::Run {
  int first = 0;
  int last = 0;
  TColor color = 0;
  bool hasStart = false;
  int startX = 0;
  int startY = 0;
};

// The reduction promises the every-segment picture for a solid one-pixel
// copy pen, no stairs and no pointers, x read in ascending order, no NaN y,
// and every visible point inside the drawable pixel range (a skipped point
// would make the line jump).
bool TCustomSeries::CanDrawReduced() const {
  if (!reducedDrawing_ || !drawLines_ || stairs_ || pointer_.Visible()) return false;
  if (!linePen_.Visible() || linePen_.Style() != psSolid || linePen_.Width() > 1 ||
      linePen_.Mode() != pmCopy)
    return false;
  const int first = FirstVisibleIndex();
  const int last = LastVisibleIndex();
  if (first < 0 || last < first || last >= PointCount()) return false;
  if (!XValues().ReadAscending() || !YValues().NoNaN()) return false;
  // The mapping is monotone, so the ends bound every point between.
  if (!InPixelRange(xPixel_(XValues().ValueAt(first))) ||
      !InPixelRange(xPixel_(XValues().ValueAt(last))))
    return false;
  const MinMax y = YValues().ReadMinMax(first, last);
  return InPixelRange(yPixel_(y.min)) && InPixelRange(yPixel_(y.max));
}

bool TCustomSeries::DrawPointsReduced() {
  if (!CanDrawReduced()) return false;
  const int first = FirstVisibleIndex();
  const int last = LastVisibleIndex();
  Run run;
  if (first > 0) {
    const LineEntry entry = EntryOf(first);
    run.hasStart = !entry.previousIsNone;
    run.startX = entry.x;
    run.startY = entry.y;
  }
  const bool oneColor = OneColorForAll();
  for (int i = first; i <= last;) {
    const TColor c = PointColor(i);
    int end = last;
    if (!oneColor) {
      end = i;
      while (end < last && PointColor(end + 1) == c) ++end;
    }
    run.first = i;
    run.last = end;
    run.color = c;
    if (c != clNone) DrawRunReduced(run);
    // No segment leaves a clNone point.
    run.hasStart = c != clNone;
    run.startX = xPixel_(XValues().ValueAt(end));
    run.startY = yPixel_(YValues().ValueAt(end));
    i = end + 1;
  }
  const TColor lastColor = PointColor(last);
  trace_ = LineTrace{xPixel_(XValues().ValueAt(last)), yPixel_(YValues().ValueAt(last)), lastColor};
  Canvas().Brush().SetColor(lastColor);
  return true;
}

void TCustomSeries::DrawRunReduced(const Run& run) {
  const TChartValueList& xs = XValues();
  const TChartValueList& ys = YValues();
  bool hasStart = run.hasStart;
  int startX = run.startX;
  int startY = run.startY;
  int guess = 0;
  for (int i = run.first; i <= run.last;) {
    const int column = xPixel_(xs.ValueAt(i));
    const int end = ColumnEnd(i, run.last, column, guess);
    guess = end - i;
    const int lastY = yPixel_(ys.ValueAt(end));
    const MinMax values = ys.ReadMinMax(i, end);
    const int a = yPixel_(values.min);
    const int b = yPixel_(values.max);
    int low = std::min(a, b);
    int high = std::max(a, b);
    // A start in the same column joins by a vertical segment: part of the
    // column's span. From another column it is a segment of its own.
    const bool startInColumn = hasStart && startX == column;
    if (startInColumn) {
      low = std::min(low, startY);
      high = std::max(high, startY);
    } else if (hasStart) {
      DrawSegment(LineSegment{startX, startY, column, yPixel_(ys.ValueAt(i)), run.color});
    }
    if (low < high) {
      // Inside the run the segment to the next column starts on the last
      // pixel and draws it; the run's last column must find out.
      if (end == run.last && !LastPixelCovered(i, end, lastY, startY, startInColumn)) {
        if (lastY == low) {
          ++low;
        } else {
          --high;
        }
      }
      DrawSegment(LineSegment{column, low, column, high + 1, run.color});
    }
    hasStart = true;
    startX = column;
    startY = lastY;
    i = end + 1;
  }
}

// The last index from `from` (whose pixel column is `column`) to `last`
// still in that column. Columns of ascending x are monotone, so a search
// galloping from a guess (the previous column's count of points: evenly
// spaced samples fill columns evenly), then a binary one between the last
// index known inside and the first known outside.
int TCustomSeries::ColumnEnd(int from, int last, int column, int guess) const {
  const TChartValueList& xs = XValues();
  const auto inColumn = [&](int i) { return xPixel_(xs.ValueAt(i)) == column; };
  int in = from;
  int out = last + 1;
  const int start = std::clamp(from + guess, from, last);
  if (inColumn(start)) {
    in = start;
    for (int step = 1; in + step <= last; step *= 2) {
      if (!inColumn(in + step)) {
        out = in + step;
        break;
      }
      in += step;
    }
  } else {
    out = start;
    for (int step = 1; out - step > from; step *= 2) {
      if (inColumn(out - step)) {
        in = out - step;
        break;
      }
      out -= step;
    }
  }
  while (out - in > 1) {
    const int mid = in + (out - in) / 2;
    if (inColumn(mid)) {
      in = mid;
    } else {
      out = mid;
    }
  }
  return in;
}

// Whether the vertical segments of points first .. last (one column, and
// the start point when it lies in the column) draw the last point's pixel
// lastY. A pixel strictly inside their span is passed through. At an end
// of the span it is drawn only when the path stood on it before the final
// stretch of points on that pixel and then left it.
bool TCustomSeries::LastPixelCovered(int first, int last, int lastY, int startY,
                                     bool startInColumn) const {
  const TChartValueList& ys = YValues();
  const int beforeRun =
      ys.LastReadOutside(first, last, [&](double v) { return yPixel_(v) == lastY; });
  if (beforeRun < 0) return false;
  if (startInColumn && startY == lastY) return true;
  const MinMax earlier = ys.ReadMinMax(first, beforeRun);
  const int a = yPixel_(earlier.min);
  const int b = yPixel_(earlier.max);
  if (std::min(a, b) <= lastY && lastY <= std::max(a, b)) return true;
  // Not reached before: covered only when strictly inside the span, which
  // the earlier points (and the start) then straddle.
  const int low = startInColumn ? std::min({a, b, startY}) : std::min(a, b);
  const int high = startInColumn ? std::max({a, b, startY}) : std::max(a, b);
  return low < lastY && lastY < high;
}

}  // namespace kolva::chart
