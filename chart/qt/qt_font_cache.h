// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QStaticText>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "chart/chart_font.h"

namespace kolva::chart::qt {

// The Qt fonts of the chart's fonts with their metrics, made once per
// face, height and style and kept; the width of each text measured in a
// font is kept with it while that font is used. A paint uses a handful of
// fonts and a few dozen texts, so the cache stays small (a font's widths
// are forgotten past kMaxTexts, the oldest font past kMaxFonts).
class QtFontCache {
 public:
  static constexpr std::size_t kMaxFonts = 8;
  static constexpr std::size_t kMaxTexts = 1024;

  struct Entry {
    std::string name;
    int height = 0;
    unsigned style = 0;
    QFont font;
    QFontMetrics metrics{QFont()};
    std::unordered_map<std::string, int> widths;
    // Texts laid out once for drawing, by text.
    std::unordered_map<std::string, QStaticText> layouts;
  };

  Entry& Get(const TFont& font);
  int TextWidth(const TFont& font, const std::string& text);
  // The text laid out in the font for drawing, kept for the next paint.
  const QStaticText& Layout(Entry& entry, const std::string& text);

 private:
  std::vector<std::unique_ptr<Entry>> entries_;  // most recently used last
};

// The Qt font of a chart font: its face, pixel height and style.
QFont QtFont(const TFont& font);

}  // namespace kolva::chart::qt
