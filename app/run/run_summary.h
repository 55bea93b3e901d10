// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "app/run/sampler.h"

namespace kolva::app {

// How a run kept its schedule, in one line: "N readings taken, N due, N late
// by more than one period, worst lateness X ms" (X in milliseconds with three
// decimals in the locale's form, as every number the program writes).
std::string RunSummaryLine(const RunTiming& timing);

// True when a reading of the run was late by more than one period: the
// operator is told so.
inline bool HadLateReadings(const RunTiming& timing) {
  return timing.late > 0;
}

}  // namespace kolva::app
