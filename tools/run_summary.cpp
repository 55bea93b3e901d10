// SPDX-License-Identifier: MIT
#include "tools/run_summary.h"

#include <algorithm>
#include <cmath>

#include "app/text/textconv.h"

namespace kolva::tools {
namespace {

// m:ss below an hour, h:mm:ss from there, whole seconds rounded down.
std::string Clock(std::uint64_t ms) {
  const std::uint64_t s = ms / 1000;
  auto two = [](std::uint64_t v) { return (v < 10 ? "0" : "") + std::to_string(v); };
  if (s < 3600) return std::to_string(s / 60) + ":" + two(s % 60);
  return std::to_string(s / 3600) + ":" + two(s / 60 % 60) + ":" + two(s % 60);
}

}  // namespace

std::string ProgressLine(std::uint64_t readings, std::uint64_t elapsedMs, long double lengthMs,
                         int barWidth) {
  const long double share =
      lengthMs > 0 ? std::min(1.0L, static_cast<long double>(elapsedMs) / lengthMs) : 1.0L;
  const int filled = static_cast<int>(share * barWidth);
  // At most about 114 years left: the figure stays within its integer.
  const long double left =
      std::clamp(lengthMs - static_cast<long double>(elapsedMs), 0.0L, 3.6e12L);
  const auto remaining = static_cast<std::uint64_t>(std::ceil(left / 1000.0L)) * 1000;
  return "[" + std::string(filled, '#') + std::string(barWidth - filled, '.') + "] " +
         std::to_string(readings) + " readings  " + Clock(elapsedMs) + " elapsed  " +
         Clock(remaining) + " remaining";
}

std::string TriggerWaitLine(int level, std::uint64_t waitedMs, int barWidth) {
  return "[" + std::string(barWidth, '.') + "] waiting for the trigger at level " +
         std::to_string(level) + "  " + Clock(waitedMs) + " waited";
}

std::string TriggerNeverCameNote(int level) {
  return "; the trigger never came (waited for level " + std::to_string(level) + ")";
}

}  // namespace kolva::tools
