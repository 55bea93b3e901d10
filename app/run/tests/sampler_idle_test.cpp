// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdint>

#include "app/run/sampler.h"
#include "platform/tests/fake_clock.h"

namespace kolva::app {
namespace {

// The sampler sleeps for half of the time left to its deadline, never so
// long that a stop or the run's end waits: a day's interval sleeps 10 ms.
TEST(SamplerIdle, SleepsHalfTheTimeLeftAndTenMillisecondsAtMost) {
  constexpr std::int64_t kSecond = platform::Clock::kCounterTicksPerSecond;
  for (const auto& [left, slept] : {std::pair<std::int64_t, std::int64_t>{120, 60},
                                    {kSecond / 100, kSecond / 200},
                                    {kSecond * 86400, kSecond / 100},
                                    {INT64_MAX, kSecond / 100}}) {
    platform::FakeClock clock;
    IdleUntilDeadline(clock, left);
    EXPECT_EQ(clock.sleptTicks, slept) << left;
  }
}

}  // namespace
}  // namespace kolva::app
