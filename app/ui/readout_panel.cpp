// SPDX-License-Identifier: MIT
#include "app/ui/readout_panel.h"

#include <qdrawutil.h>
#include <QFontMetrics>
#include <QPainter>
#include <QStringList>
#include <algorithm>

namespace kolva::ui {
namespace {

constexpr QColor kTeal{0x00, 0x80, 0x80};
constexpr QColor kLime{0x00, 0xFF, 0x00};

// The longest text of either range ("-750.000" in LOW is shorter), with
// either decimal separator.
int WidestReading(const QFont& font) {
  const QFontMetrics metrics(font);
  return std::max(metrics.horizontalAdvance(QStringLiteral("-8000.000")),
                  metrics.horizontalAdvance(QStringLiteral("-8000,000")));
}

}  // namespace

QRect ReadoutPanel::TextArea() const {
  return rect().adjusted(12, 12, -12, -12);
}

void ReadoutPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QRect area = rect();
  painter.fillRect(area, kTeal);
  qDrawWinPanel(&painter, area, palette(), true);
  area.adjust(2, 2, -2, -2);
  qDrawShadePanel(&painter, area, palette(), true, 5);
  painter.setPen(kLime);
  painter.setFont(font());
  painter.drawText(TextArea(), Qt::AlignCenter, text());
}

QFont ReadoutFont(int pixels, int textWidth) {
  QFont font;
  font.setFamilies({QStringLiteral("Jazz LET"), QStringLiteral("Liberation Sans"),
                    QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                    QStringLiteral("Helvetica")});
  font.setPixelSize(pixels);
  const int natural = WidestReading(font);
  if (natural <= textWidth) return font;
  // Stretch scales the glyphs' widths in percent; rounding of the scaled
  // advances may need a step more.
  for (int stretch = std::max(1, textWidth * 100 / natural); stretch > 1; --stretch) {
    font.setStretch(stretch);
    if (WidestReading(font) <= textWidth) break;
  }
  return font;
}

}  // namespace kolva::ui
