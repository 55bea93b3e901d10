// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "chart/chart_brush.h"
#include "chart/chart_font.h"
#include "chart/chart_pen.h"
#include "chart/geometry.h"
#include "chart/store_changed.h"

namespace kolva::chart {

class TCustomChartPanel;
class TCanvas3D;

enum TAlignment : int { taLeftJustify, taRightJustify, taCenter };

// A chart object with a font: the base of the titles and the legend. The
// font starts as the default chart font; its changes invalidate the chart.
class TChartFontObject {
 public:
  explicit TChartFontObject(TCustomChartPanel& chart);
  virtual ~TChartFontObject() = default;
  TChartFontObject(const TChartFontObject&) = delete;
  TChartFontObject& operator=(const TChartFontObject&) = delete;

  TCustomChartPanel& ParentChart() const { return chart_; }
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }

 protected:
  void Repaint() const;
  template <typename T>
  void Store(T& field, const T& value) {
    if (StoreChanged(field, value)) Repaint();
  }

 private:
  TCustomChartPanel& chart_;
  TFont font_;
};

// The chart's Title (above the plot) or Foot (below it): lines of text,
// centred by default, in blue, with a hidden frame and a hollow brush.
class TChartTitle : public TChartFontObject {
 public:
  explicit TChartTitle(TCustomChartPanel& chart);

  bool AdjustFrame() const { return adjustFrame_; }
  void SetAdjustFrame(bool value) { Store(adjustFrame_, value); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment value) { Store(alignment_, value); }
  TChartBrush& Brush() { return brush_; }
  TChartPen& Frame() { return frame_; }
  const std::vector<std::string>& Text() const { return text_; }
  void SetText(const std::vector<std::string>& lines) { Store(text_, lines); }
  bool Visible() const { return visible_; }
  void SetVisible(bool value) { Store(visible_, value); }
  // Where the title was drawn last (its frame rectangle).
  const TRect& TitleRect() const { return titleRect_; }

  // Draws the title at the top (Title) or bottom (Foot) of chartRect and
  // takes its lines' room off chartRect. A title without lines draws and
  // takes nothing.
  void Draw(TCanvas3D& canvas, TRect& chartRect, bool atTop);

 private:
  int FrameWidth() const;
  int LineX(TCanvas3D& canvas, const std::string& line, int left, int right) const;

  bool adjustFrame_ = true;
  TAlignment alignment_ = taCenter;
  TChartBrush brush_;
  TChartHiddenPen frame_;
  std::vector<std::string> text_;
  bool visible_ = true;
  TRect titleRect_;
};

}  // namespace kolva::chart
