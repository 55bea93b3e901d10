// SPDX-License-Identifier: MIT
#pragma once

#include <QImage>
#include <QSize>

namespace kolva::wykres {

class TForm2;

// The chart window's picture: exactly what Chart1 shows on the screen (its
// sunken edge and border, the panel, title, foot, axes, both series and the
// legend, and the zoom band while a drag draws one), drawn offscreen into a
// 32-bit RGB image. Works on a hidden window and without a display (the
// "offscreen" Qt platform); a QApplication must exist.
//
// `size` is the chart's size with its edge and border; the window's
// own size is 477 x 310. A size other than the chart's present one resizes
// the window's chart to it first (the window keeps that size afterwards).
// An empty size raises std::invalid_argument.
QImage RenderChartPicture(TForm2& form, QSize size);

// The picture at the chart's present size.
QImage RenderChartPicture(TForm2& form);

}  // namespace kolva::wykres
