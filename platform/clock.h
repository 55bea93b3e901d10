// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace kolva::platform {

// The two time sources the program reads: the performance counter and the
// millisecond tick count. Injected everywhere, so tests run on a fake clock.
class Clock {
 public:
  // The performance counter's rate: the figure the program's constants assume.
  static constexpr std::int64_t kCounterTicksPerSecond = 1'193'180;

  virtual ~Clock() = default;
  // A 64-bit count of counter ticks, monotonic, at kCounterTicksPerSecond.
  virtual std::int64_t QueryPerformanceCounter() = 0;
  // Milliseconds since an arbitrary start, wrapping modulo 2^32.
  virtual std::uint32_t GetTickCount() = 0;
  // Gives the processor up for about `ticks` counter ticks (nothing when not
  // positive). A fake clock, whose time only moves as it is read, returns
  // at once.
  virtual void Sleep(std::int64_t ticks);
};

// Both readings from the system's monotonic clock.
class SystemClock : public Clock {
 public:
  std::int64_t QueryPerformanceCounter() override;
  std::uint32_t GetTickCount() override;
};

// The counter value for a monotonic time: whole seconds and nanoseconds,
// exact (no overflow for any time a machine stays up).
std::int64_t CounterTicksFor(std::int64_t seconds, std::int64_t nanoseconds);

}  // namespace kolva::platform
