// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

namespace kolva::chart::qt::testing {

// The one application object that fonts and widgets need; created on first
// use and deliberately never destroyed: destroyed among the exit handlers,
// after Qt's own globals created during its construction, it would crash.
inline void EnsureQtApp() {
  if (QApplication::instance()) return;
  static int argc = 1;
  static char name[] = "chart_qt_test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
}

}  // namespace kolva::chart::qt::testing
