// SPDX-License-Identifier: MIT
#include "app/run/run_summary.h"

#include "app/text/textconv.h"
#include "platform/clock.h"

namespace kolva::app {

std::string RunSummaryLine(const RunTiming& timing) {
  const long double ms = static_cast<long double>(timing.worstLatenessTicks) * 1000.0L /
                         static_cast<long double>(platform::Clock::kCounterTicksPerSecond);
  return std::to_string(timing.taken) + " readings taken, " + std::to_string(timing.due) +
         " due, " + std::to_string(timing.late) + " late by more than one period, worst lateness " +
         FormatText("%.3f", ms) + " ms";
}

}  // namespace kolva::app
