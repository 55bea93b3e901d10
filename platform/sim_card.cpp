// SPDX-License-Identifier: MIT
#include "platform/sim_card.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kolva::platform {
namespace {

double Fraction(double x) {
  return x - std::floor(x);
}

// splitmix64: a small, fast, well-mixed generator; the seed fixes the stream.
std::uint64_t NextRandom(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace

double SimSignal::MillivoltsAt(double seconds) const {
  const double phase = Fraction(frequencyHz * seconds);
  switch (kind) {
    case Kind::kDc:
      return offsetMv;
    case Kind::kSine:
      return offsetMv + amplitudeMv * std::sin(2.0 * std::numbers::pi * phase);
    case Kind::kSquare:
      return offsetMv + (phase < 0.5 ? amplitudeMv : -amplitudeMv);
    case Kind::kTriangle:
      return offsetMv + amplitudeMv * (1.0 - 4.0 * std::fabs(phase - 0.5));
  }
  return offsetMv;
}

bool SimTrigger::HighAt(double seconds) const {
  if (periodSeconds <= 0.0) return high;
  return Fraction(seconds / periodSeconds) < 0.5;
}

SimCard::SimCard(const SimCardOptions& options, Clock& clock)
    : options_(options), clock_(clock), noiseState_(options.seed) {}

std::uint16_t SimCard::CountFor(double millivolts, bool highRange) {
  const double fullScale = highRange ? kHighFullScaleMv : kLowFullScaleMv;
  const double count = std::floor(2047.0 + millivolts / fullScale * 2048.0 + 0.5);
  if (!(count > 0.0)) return 0;  // also a NaN
  if (count > 4095.0) return 4095;
  return static_cast<std::uint16_t>(count);
}

bool SimCard::IsCardPort(std::uint16_t port, std::uint16_t offset) const {
  return port == static_cast<std::uint16_t>(options_.base + offset);
}

double SimCard::Seconds() {
  return static_cast<double>(clock_.QueryPerformanceCounter()) /
         static_cast<double>(Clock::kCounterTicksPerSecond);
}

int SimCard::NextNoise() {
  // The top 32 random bits scaled to 0..span-1: a multiply, not a division.
  const std::uint64_t span = 2u * static_cast<std::uint64_t>(options_.noiseCounts) + 1u;
  const std::uint64_t pick = ((NextRandom(noiseState_) >> 32) * span) >> 32;
  return static_cast<int>(pick) - options_.noiseCounts;
}

std::uint8_t SimCard::Read8(std::uint16_t port) {
  if (static_cast<std::uint16_t>(port - options_.base) >= 16) return 0xFF;
  if (IsCardPort(port, 0)) return options_.identity;
  if (IsCardPort(port, 4)) return options_.trigger.HighAt(Seconds()) ? 0x80 : 0x00;
  return 0x00;
}

std::uint32_t SimCard::Read32(std::uint16_t port) {
  if (static_cast<std::uint16_t>(port - options_.base) >= 16) return 0xFFFFFFFFu;
  if (!IsCardPort(port, 12)) return 0;
  // The signals are a function of the counter: reads within one tick share
  // their values, which spares the signal arithmetic in back-to-back reads.
  const std::int64_t ticks = clock_.QueryPerformanceCounter();
  if (!cached_ || ticks != cachedTicks_ || highRange_ != cachedHighRange_) {
    const double t =
        static_cast<double>(ticks) / static_cast<double>(Clock::kCounterTicksPerSecond);
    cachedCount1_ = CountFor(options_.input1.MillivoltsAt(t), highRange_);
    cachedCount2_ = CountFor(options_.input2.MillivoltsAt(t), highRange_);
    cachedTicks_ = ticks;
    cachedHighRange_ = highRange_;
    cached_ = true;
  }
  int count1 = cachedCount1_;
  int count2 = cachedCount2_;
  if (options_.noiseCounts > 0) {
    count1 = std::clamp(count1 + NextNoise(), 0, 4095);
    count2 = std::clamp(count2 + NextNoise(), 0, 4095);
  }
  return static_cast<std::uint32_t>(count1) | (static_cast<std::uint32_t>(count2) << 16);
}

void SimCard::Write32(std::uint16_t port, std::uint32_t value) {
  if (IsCardPort(port, 0)) highRange_ = (value & kRangeHighBit) != 0;
}

}  // namespace kolva::platform
