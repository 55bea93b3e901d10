// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

#include "app/run/sampler.h"

namespace kolva::tools {

// The progress line for a terminal: a bar of `barWidth` cells filled by the
// elapsed share of the length, the readings, elapsed and remaining time
// (m:ss, or h:mm:ss from an hour). A length of 0 shows a full bar.
std::string ProgressLine(std::uint64_t readings, std::uint64_t elapsedMs, long double lengthMs,
                         int barWidth);

// The line a terminal shows while the run waits for the trigger at `level`:
// an empty bar, the level and the time waited (as the progress line's).
std::string TriggerWaitLine(int level, std::uint64_t waitedMs, int barWidth);

// What the summary adds when the run was stopped before the trigger came.
std::string TriggerNeverCameNote(int level);

}  // namespace kolva::tools
