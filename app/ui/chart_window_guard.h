// SPDX-License-Identifier: MIT
#pragma once

namespace kolva::wykres {
class TForm2;
}

namespace kolva::ui {

// Gives the chart window's failures to the application's error reporting:
// whatever Chart1's paint, resize or mouse handling, or the window's file
// and picture keys and drops, raise is shown in the error box, as for every
// other event handler of the program.
void GuardChartWindow(wykres::TForm2& form);

}  // namespace kolva::ui
