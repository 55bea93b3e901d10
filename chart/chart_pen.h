// SPDX-License-Identifier: MIT
#pragma once

#include "chart/color.h"
#include "chart/notify_link.h"
#include "chart/store_changed.h"

namespace kolva::chart {

enum TPenStyle : int { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

// The device's raster operations; the chart draws with pmCopy and the zoom
// band with pmNotXor, which restores the picture when drawn twice.
enum TPenMode : int {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};

// The toolkit's pen: colour, raster mode, style and width (pixels). Each
// setter that changes a value fires OnChange.
class TPen {
 public:
  TColor Color() const { return color_; }
  TPenMode Mode() const { return mode_; }
  TPenStyle Style() const { return style_; }
  int Width() const { return width_; }

  void SetColor(TColor value) { Store(color_, value); }
  void SetMode(TPenMode value) { Store(mode_, value); }
  void SetStyle(TPenStyle value) { Store(style_, value); }
  void SetWidth(int value) { Store(width_, value); }

  // Copies colour, mode, style and width, firing OnChange once if any differ.
  void Assign(const TPen& other);

  TNotifyLink OnChange;

 protected:
  template <typename T>
  void Store(T& field, T value) {
    if (StoreChanged(field, value)) OnChange.Fire();
  }

 private:
  TColor color_ = clBlack;
  TPenMode mode_ = pmCopy;
  TPenStyle style_ = psSolid;
  int width_ = 1;
};

// The engine's pen: a toolkit pen that can be switched off as a whole.
class TChartPen : public TPen {
 public:
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { Store(visible_, value); }
  void Assign(const TChartPen& other);

 protected:
  bool visible_ = true;
};

class TChartHiddenPen : public TChartPen {
 public:
  TChartHiddenPen() { visible_ = false; }
};

class TDottedGrayPen : public TChartPen {
 public:
  TDottedGrayPen() {
    SetColor(clGray);
    SetStyle(psDot);
  }
};

class TDarkGrayPen : public TChartPen {
 public:
  TDarkGrayPen() { SetColor(clGray); }
};

// The axis line's pen: black, solid, two pixels wide.
class TChartAxisPen : public TChartPen {
 public:
  TChartAxisPen() { SetWidth(2); }
};

// The pen of the arrows from a point to its mark.
class TChartArrowPen : public TChartPen {};

}  // namespace kolva::chart
