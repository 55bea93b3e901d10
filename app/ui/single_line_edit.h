// SPDX-License-Identifier: MIT
#pragma once

class QLineEdit;

namespace kolva::ui {

// Keeps a single-line field free of line ends and of Ctrl-Z: text pasted or
// dropped into it stops at its first CR, LF or Ctrl-Z (26), as a single-line
// field's paste does, so konfig.txt never gets a field's text split over
// lines. What the field held before is kept. Installs a validator owned by
// the field.
void KeepSingleLine(QLineEdit* edit);

}  // namespace kolva::ui
