// SPDX-License-Identifier: MIT
#include "wykres/chart_picture.h"

#include <QPixmap>
#include <stdexcept>

#include "wykres/form2.h"

namespace kolva::wykres {

QImage RenderChartPicture(TForm2& form, QSize size) {
  if (size.isEmpty()) throw std::invalid_argument("RenderChartPicture: empty size");
  chart::qt::ChartWidget& widget = form.Chart1Widget();
  if (widget.size() != size) {
    // Chart1 fills the window's client area; a hidden window lays out its
    // children only when shown, so the chart is given its size here too.
    form.resize(size);
    widget.setGeometry(0, 0, size.width(), size.height());
    widget.SyncBounds();
  }
  // grab() runs the widget's own paint handler into a pixmap: the same
  // drawing, edge and copy of the chart's image as on the screen.
  return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QImage RenderChartPicture(TForm2& form) {
  return RenderChartPicture(form, form.Chart1Widget().size());
}

}  // namespace kolva::wykres
