// SPDX-License-Identifier: MIT
#include "chart/chart_font.h"

#include "chart/mul_div.h"

namespace kolva::chart {
namespace {

constexpr const char* kChartFontName = "Arial";
constexpr int kChartFontSize = 8;

}  // namespace

int TFont::Size() const {
  return -MulDiv(height_, 72, kPixelsPerInch);
}

void TFont::SetName(const std::string& value) {
  if (name_ == value) return;
  name_ = value;
  OnChange.Fire();
}

void TFont::SetHeight(int value) {
  if (height_ == value) return;
  height_ = value;
  OnChange.Fire();
}

void TFont::SetSize(int points) {
  SetHeight(-MulDiv(points, kPixelsPerInch, 72));
}

void TFont::SetColor(TColor value) {
  if (color_ == value) return;
  color_ = value;
  OnChange.Fire();
}

void TFont::SetStyle(TFontStyles value) {
  if (style_ == value) return;
  style_ = value;
  OnChange.Fire();
}

void TFont::SetCharset(int value) {
  if (charset_ == value) return;
  charset_ = value;
  OnChange.Fire();
}

bool TFont::SameAs(const TFont& other) const {
  return name_ == other.name_ && height_ == other.height_ && color_ == other.color_ &&
         style_ == other.style_ && charset_ == other.charset_;
}

void TFont::Assign(const TFont& other) {
  if (SameAs(other)) return;
  name_ = other.name_;
  height_ = other.height_;
  color_ = other.color_;
  style_ = other.style_;
  charset_ = other.charset_;
  OnChange.Fire();
}

TFont DefaultChartFont() {
  TFont font;
  font.SetName(kChartFontName);
  font.SetSize(kChartFontSize);
  font.SetColor(clBlack);
  font.SetStyle(0);
  return font;
}

bool IsDefaultChartFont(const TFont& font) {
  return font.Size() == kChartFontSize && font.Name() == kChartFontName &&
         font.Color() == clBlack && font.Style() == 0;
}

}  // namespace kolva::chart
