// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QLabel>
#include <QRect>

namespace kolva::ui {

// A live readout panel (k1, k2): a single sunken border, a lowered bevel of
// 5 pixels and a 5-pixel border in the panel colour around the centred
// caption, which is drawn inside TextArea() and clipped to it.
class ReadoutPanel : public QLabel {
 public:
  explicit ReadoutPanel(QWidget* parent) : QLabel(parent) {}

  // Where the caption goes: inside both borders and the bevel.
  QRect TextArea() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The readouts' face: the stored "Jazz LET" at `pixels` in height. Where the
// system lacks it, a face of Arial's widths comes next, then fontconfig's
// default (DejaVu Sans on a bare system, whose "-8000.000" is wider than a
// panel). A face whose widest reading is still wider than `textWidth` is
// condensed just enough to fit, at the same height.
QFont ReadoutFont(int pixels, int textWidth);

}  // namespace kolva::ui
