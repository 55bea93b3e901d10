// SPDX-License-Identifier: MIT
#pragma once

namespace kolva::chart {

// Integer pixel geometry of the drawing surface. A rectangle covers the
// pixels Left .. Right - 1 and Top .. Bottom - 1.
struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

// The common part of two rectangles; false when they do not overlap.
inline bool IntersectRect(const TRect& a, const TRect& b, TRect& out) {
  TRect r{a.Left > b.Left ? a.Left : b.Left, a.Top > b.Top ? a.Top : b.Top,
          a.Right < b.Right ? a.Right : b.Right, a.Bottom < b.Bottom ? a.Bottom : b.Bottom};
  if (r.Left >= r.Right || r.Top >= r.Bottom) return false;
  out = r;
  return true;
}

}  // namespace kolva::chart
