// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/port_bus.h"
#include "platform/sim_card_options.h"

namespace kolva::platform {

// The card as its port map describes it, with every signal a function of the
// performance counter's time, so a fake clock gives exactly predictable counts.
// Card ports (base..base+15): identity byte at +0, range word written at +0
// (bit 15 set: HIGH +-8 V, else LOW +-0.75 V; LOW at power-on), status byte at
// +4 (bit 7 the trigger level), conversion result at +12 (input 1 in bits 0-15,
// input 2 in bits 16-31). Other card ports read 0; ports outside the card read
// all ones and ignore writes, like an empty bus.
class SimCard : public PortBus {
 public:
  static constexpr std::uint32_t kRangeHighBit = 0x8000;
  static constexpr double kLowFullScaleMv = 750.0;
  static constexpr double kHighFullScaleMv = 8000.0;

  // `clock` must outlive the card.
  SimCard(const SimCardOptions& options, Clock& clock);

  std::uint8_t Read8(std::uint16_t port) override;
  std::uint32_t Read32(std::uint16_t port) override;
  void Write32(std::uint16_t port, std::uint32_t value) override;

  const SimCardOptions& Options() const { return options_; }
  bool HighRange() const { return highRange_; }

  // The count for `millivolts` in a range: 2047 + the fraction of full scale
  // times 2048, rounded to nearest and clipped to 0..4095.
  static std::uint16_t CountFor(double millivolts, bool highRange);

 private:
  bool IsCardPort(std::uint16_t port, std::uint16_t offset) const;
  double Seconds();
  int NextNoise();

  SimCardOptions options_;
  Clock& clock_;
  bool highRange_ = false;
  std::uint64_t noiseState_;
  bool cached_ = false;
  bool cachedHighRange_ = false;
  std::int64_t cachedTicks_ = 0;
  int cachedCount1_ = 0;
  int cachedCount2_ = 0;
};

}  // namespace kolva::platform
