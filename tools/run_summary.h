// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace kolva::tools {

// How a run kept its schedule, in performance-counter ticks.
struct TimingFigures {
  std::uint64_t taken = 0;         // readings written
  std::uint64_t due = 0;           // deadlines passed while sampling
  std::uint64_t late = 0;          // readings taken more than one period after their deadline
  std::int64_t worstLateness = 0;  // ticks after its deadline of the latest reading
  std::int64_t period = 0;
};

// The one closing line: "N readings taken, N due, N late by more than one
// period, worst lateness X ms".
std::string SummaryLine(const TimingFigures& figures);

// The progress line for a terminal: a bar of `barWidth` cells filled by the
// elapsed share of the length, the readings, elapsed and remaining time
// (m:ss, or h:mm:ss from an hour). A length of 0 shows a full bar.
std::string ProgressLine(std::uint64_t readings, std::uint64_t elapsedMs, long double lengthMs,
                         int barWidth);

}  // namespace kolva::tools
