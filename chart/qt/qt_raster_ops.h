// SPDX-License-Identifier: MIT
#pragma once

#include <QPainter>
#include <QRgb>
#include <span>

#include "chart/chart_brush.h"
#include "chart/chart_pen.h"

namespace kolva::chart::qt {

// The 16 binary raster operations of a pen on a pixel (24-bit colours).
QRgb Rop(TPenMode mode, QRgb pen, QRgb dst);
// The QPainter composition of a pen mode, for what Qt draws.
QPainter::CompositionMode CompositionOf(TPenMode mode);
// On/off run lengths of the styled one-pixel pens, in pixels.
std::span<const int> PatternOf(TPenStyle style);
Qt::PenStyle QtPenStyle(TPenStyle style);
Qt::BrushStyle QtBrushStyle(TBrushStyle style);

}  // namespace kolva::chart::qt
