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
class TextMetrics;

enum TAlignment : int { taLeftJustify, taRightJustify, taCenter };

// Where a title goes in one paint.
struct TTitleLayout {
  bool shown = false;  // Visible when laid out: drawn, even without lines
  TRect rect;          // the frame rectangle (TitleRect)
  int lineHeight = 0;
  int top = 0;             // the top of the first line
  std::vector<int> lineX;  // the left of each line
  friend bool operator==(const TTitleLayout&, const TTitleLayout&) = default;
};

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
  // The chart's Title (`atTop`) or its Foot.
  TChartTitle(TCustomChartPanel& chart, bool atTop);

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
  // Where the picture on screen has the title (its frame rectangle).
  const TRect& TitleRect() const;

  // Places the title at the top (Title) or bottom (Foot) of chartRect and
  // takes its lines' room off chartRect. A title without lines takes
  // nothing.
  TTitleLayout Layout(TRect& chartRect, TextMetrics& metrics) const;
  // Draws the title where the layout puts it.
  void Draw(TCanvas3D& canvas, const TTitleLayout& layout);

 private:
  int FrameWidth() const;
  int LineX(TextMetrics& metrics, const std::string& line, int left, int right) const;

  bool adjustFrame_ = true;
  TAlignment alignment_ = taCenter;
  TChartBrush brush_;
  TChartHiddenPen frame_;
  std::vector<std::string> text_;
  bool visible_ = true;
  bool atTop_;
};

}  // namespace kolva::chart
