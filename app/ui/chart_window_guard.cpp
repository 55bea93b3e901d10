// SPDX-License-Identifier: MIT
#include "app/ui/chart_window_guard.h"

#include "app/ui/guard.h"
#include "wykres/form2.h"

namespace kolva::ui {

void GuardChartWindow(wykres::TForm2& form) {
  form.SetErrorHandler(ReportError);
}

}  // namespace kolva::ui
