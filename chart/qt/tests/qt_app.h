// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

namespace kolva::chart::qt::testing {

// The one application object that fonts and widgets need; created on first
// use and kept for the whole test program.
inline void EnsureQtApp() {
  if (QApplication::instance()) return;
  static int argc = 1;
  static char name[] = "chart_qt_test";
  static char* argv[] = {name, nullptr};
  static QApplication app(argc, argv);
}

}  // namespace kolva::chart::qt::testing
