// SPDX-License-Identifier: MIT
#include "chart/qt/qt_font_cache.h"

#include <QString>
#include <algorithm>
#include <cstdlib>

namespace kolva::chart::qt {

QFont QtFont(const TFont& font) {
  QFont q(QString::fromStdString(font.Name()));
  q.setPixelSize(std::max(1, std::abs(font.Height())));
  q.setBold((font.Style() & fsBold) != 0);
  q.setItalic((font.Style() & fsItalic) != 0);
  q.setUnderline((font.Style() & fsUnderline) != 0);
  q.setStrikeOut((font.Style() & fsStrikeOut) != 0);
  return q;
}

QtFontCache::Entry& QtFontCache::Get(const TFont& font) {
  const auto style = static_cast<unsigned>(font.Style());
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
    Entry& e = **it;
    if (e.height != font.Height() || e.style != style || e.name != font.Name()) continue;
    if (it != entries_.rbegin()) std::swap(*it, entries_.back());
    return *entries_.back();
  }
  if (entries_.size() == kMaxFonts) entries_.erase(entries_.begin());
  auto entry = std::make_unique<Entry>();
  entry->name = font.Name();
  entry->height = font.Height();
  entry->style = style;
  entry->font = QtFont(font);
  entry->metrics = QFontMetrics(entry->font);
  entries_.push_back(std::move(entry));
  return *entries_.back();
}

int QtFontCache::TextWidth(const TFont& font, const std::string& text) {
  Entry& e = Get(font);
  auto found = e.widths.find(text);
  if (found != e.widths.end()) return found->second;
  if (e.widths.size() >= kMaxTexts) e.widths.clear();
  const int width = e.metrics.horizontalAdvance(QString::fromStdString(text));
  e.widths.emplace(text, width);
  return width;
}

const QStaticText& QtFontCache::Layout(Entry& entry, const std::string& text) {
  auto found = entry.layouts.find(text);
  if (found != entry.layouts.end()) return found->second;
  if (entry.layouts.size() >= kMaxTexts) entry.layouts.clear();
  QStaticText layout(QString::fromStdString(text));
  layout.setTextFormat(Qt::PlainText);
  layout.prepare(QTransform(), entry.font);
  return entry.layouts.emplace(text, std::move(layout)).first->second;
}

}  // namespace kolva::chart::qt
