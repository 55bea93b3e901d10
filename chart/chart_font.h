// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "chart/color.h"
#include "chart/notify_link.h"

namespace kolva::chart {

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;  // a set of TFontStyle bits

inline constexpr int DEFAULT_CHARSET = 1;
// Font sizes in points convert to pixel heights at this resolution.
inline constexpr int kPixelsPerInch = 96;

// The toolkit's font. Height is in pixels (negative: the character height
// without internal leading); Size in points is derived from it at 96 pixels
// per inch, as the toolkit does, so Size 8 is Height -11 and Height -13 is
// Size 10.
class TFont {
 public:
  const std::string& Name() const { return name_; }
  int Height() const { return height_; }
  int Size() const;
  TColor Color() const { return color_; }
  TFontStyles Style() const { return style_; }
  int Charset() const { return charset_; }

  void SetName(const std::string& value);
  void SetHeight(int value);
  void SetSize(int points);
  void SetColor(TColor value);
  void SetStyle(TFontStyles value);
  void SetCharset(int value);

  // Copies every attribute, firing OnChange once if any differ.
  void Assign(const TFont& other);
  bool SameAs(const TFont& other) const;

  TNotifyLink OnChange;

 private:
  std::string name_ = "MS Sans Serif";
  int height_ = -11;
  TColor color_ = clWindowText;
  TFontStyles style_ = 0;
  int charset_ = DEFAULT_CHARSET;
};

// The engine's default font for titles, legend, axis labels and marks:
// "Arial", 8 points, black, no style.
TFont DefaultChartFont();

// True when the font equals the default chart font in size, name, colour
// and style (it is then not stored with a form).
bool IsDefaultChartFont(const TFont& font);

}  // namespace kolva::chart
