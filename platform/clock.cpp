// SPDX-License-Identifier: MIT
#include "platform/clock.h"

#include <time.h>

#include <chrono>
#include <thread>

namespace kolva::platform {

std::int64_t CounterTicksFor(std::int64_t seconds, std::int64_t nanoseconds) {
  // Whole seconds and the fraction apart: seconds * rate alone overflows only
  // after 245,000 years; the fraction's product stays below 2^41.
  return seconds * Clock::kCounterTicksPerSecond +
         nanoseconds * Clock::kCounterTicksPerSecond / 1'000'000'000;
}

std::int64_t SystemClock::QueryPerformanceCounter() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return CounterTicksFor(now.tv_sec, now.tv_nsec);
}

std::uint32_t SystemClock::GetTickCount() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                           static_cast<std::uint64_t>(now.tv_nsec) / 1'000'000u;
  return static_cast<std::uint32_t>(ms);  // wraps modulo 2^32, as the tick count does
}

void Clock::Sleep(std::int64_t ticks) {
  if (ticks <= 0) return;
  // Whole seconds and the rest apart, so that no product overflows.
  std::this_thread::sleep_for(std::chrono::seconds(ticks / kCounterTicksPerSecond) +
                              std::chrono::nanoseconds(ticks % kCounterTicksPerSecond *
                                                       1'000'000'000 / kCounterTicksPerSecond));
}

}  // namespace kolva::platform
