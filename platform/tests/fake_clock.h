// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>

#include "platform/clock.h"

namespace kolva::platform {

// A clock that never waits. Each counter read returns the current count and
// then advances it by `step` ticks, so a busy loop on the counter ends
// without sleeping; `onRead`, when set, runs before each counter read and may
// script anything (move the counter, press a key, flip the trigger). The tick
// count follows the counter (milliseconds since counter 0, plus
// `tickOffsetMs`, wrapping), unless `followCounter` is cleared, in which case
// it returns `tickMs` and then advances it by `tickStepMs`.
class FakeClock : public Clock {
 public:
  std::int64_t counter = 0;
  std::int64_t step = 0;
  std::uint32_t tickOffsetMs = 0;
  bool followCounter = true;
  std::uint32_t tickMs = 0;
  std::uint32_t tickStepMs = 0;
  std::function<void(FakeClock&)> onRead;
  int counterReads = 0;

  std::int64_t QueryPerformanceCounter() override {
    if (onRead) onRead(*this);
    ++counterReads;
    const std::int64_t now = counter;
    counter += step;
    return now;
  }

  std::uint32_t GetTickCount() override {
    if (followCounter) {
      return static_cast<std::uint32_t>(counter * 1000 / kCounterTicksPerSecond) + tickOffsetMs;
    }
    const std::uint32_t now = tickMs;
    tickMs += tickStepMs;
    return now;
  }

  // The counter moves only as it is read: a sleep is counted, not waited.
  void Sleep(std::int64_t ticks) override {
    if (__builtin_add_overflow(sleptTicks, ticks, &sleptTicks)) sleptTicks = INT64_MAX;
  }
  std::int64_t sleptTicks = 0;

  void AdvanceSeconds(double seconds) {
    counter += static_cast<std::int64_t>(seconds * kCounterTicksPerSecond);
  }
};

}  // namespace kolva::platform
