// SPDX-License-Identifier: MIT
#pragma once

#include <cmath>

#include "app/run/results_chart.h"
#include "wykres/form2.h"

namespace kolva::bench {

// Adds n readings like the simulated card's to the chart window's series:
// input 1 a slow sine of about +-700 mV with a ripple, input 2 a sawtooth;
// one sample every 50 ms.
inline void AddSimulatedReadings(wykres::TForm2& form, int n) {
  for (int i = 0; i < n; ++i) {
    const double t = i * 0.05;
    const double in1 = 700.0 * std::sin(t * 0.7) + 15.0 * std::sin(t * 31.0);
    const double in2 = 40.0 * std::fmod(t, 10.0) - 200.0;
    form.Series1().AddPoint(t, static_cast<float>(in1), {}, app::ResultsChart::kInput1Color);
    form.Series2().AddPoint(t, static_cast<float>(in2), {}, app::ResultsChart::kInput2Color);
  }
}

}  // namespace kolva::bench
