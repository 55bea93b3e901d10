// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "chart/canvas.h"
#include "chart/chart_font.h"

namespace kolva::chart {

// How wide and high texts come out in a font: all the layout needs of a
// device. The chart measures through its canvas; a test may give fixed
// figures.
class TextMetrics {
 public:
  virtual ~TextMetrics() = default;
  virtual int TextWidth(const TFont& font, const std::string& text) = 0;
  // The height of "W", the height of a line of text.
  virtual int FontHeight(const TFont& font) = 0;
};

// The canvas' own measures: the font is selected on the canvas, which then
// measures in it (and keeps it selected, as after any measuring there).
class CanvasTextMetrics final : public TextMetrics {
 public:
  explicit CanvasTextMetrics(TCanvas3D& canvas) : canvas_(canvas) {}
  int TextWidth(const TFont& font, const std::string& text) override {
    canvas_.Font().Assign(font);
    return canvas_.TextWidth(text);
  }
  int FontHeight(const TFont& font) override {
    canvas_.Font().Assign(font);
    return canvas_.FontHeight();
  }

 private:
  TCanvas3D& canvas_;
};

}  // namespace kolva::chart
