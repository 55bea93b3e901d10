// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "app/files/settings_files.h"
#include "app/run/control_state.h"
#include "platform/clock.h"
#include "platform/keyboard_port.h"
#include "platform/port_bus.h"

namespace kolva::app {

// The only code that talks to the measurement card: its port map, the
// averaged reading of both inputs, the busy-wait delay and the trigger wait.
// Holds the card's state for the life of the process: the base address, the
// six calibration values (korekcje.txt's, as Corrections holds them) and the
// two latest readings. The bus, clock, keyboard port and control state are
// borrowed and must outlive the card.
class Card : public Corrections {
 public:
  // Offsets of the card's ports from BaseAddress.
  static constexpr std::uint16_t kIdentityPort = 0;  // read 8: identity; write 32: range
  static constexpr std::uint16_t kStatusPort = 4;    // read 8: bit 7 the trigger level
  static constexpr std::uint16_t kDataPort = 12;     // read 32: input 1 low half, input 2 high
  static constexpr std::uint16_t kKeyboardDataPort = 0x60;
  static constexpr std::uint8_t kStopScanCode = 31;   // the S key
  static constexpr std::uint32_t kRangeLow = 32;      // +-0.75 V
  static constexpr std::uint32_t kRangeHigh = 32800;  // +-8 V
  static constexpr int kMidScale = 2047;
  // Counter ticks per millisecond the delay assumes.
  static constexpr long double kDelayTicksPerMs = 1183.236L;

  Card(platform::PortBus& bus, platform::Clock& clock, platform::KeyboardPort& keyboard,
       const ControlState& controls);

  // Port access; every address wraps modulo 65536. The keyboard controller's
  // data port (0x60) is answered by the keyboard port, never by the bus.
  void WritePort32(std::uint16_t port, std::uint32_t value);
  std::uint8_t ReadPort8(std::uint16_t port);
  std::uint32_t ReadPort32(std::uint16_t port);

  // n back-to-back conversions averaged into Input1Value and Input2Value, in
  // millivolts (or raw counts with corrections when RawCounts is set). n is
  // 1..100; 0 raises "Invalid floating point operation" as 0/0 does.
  void ReadInputs(std::uint8_t n);
  // Busy-waits until the counter has advanced by more than Trunc(ms *
  // 1183.236) ticks, or the S key is seen.
  void Delay(std::uint32_t ms);
  // Returns when the trigger input has the chosen level, the trigger is off,
  // or the S key is seen (tested before each status read).
  void WaitForTrigger();

  // True when the identity byte at BaseAddress has the high nibble 9.
  bool CardPresent();
  // Writes the range word of the high (+-8 V) or low (+-0.75 V) range to
  // the card's base port.
  void SelectRange(bool high);

  std::uint16_t BaseAddress = 0;
  float Input1Value = 0.0f;
  float Input2Value = 0.0f;

 private:
  bool StopKeyDown();
  std::uint16_t CardPort(std::uint16_t offset) const;

  platform::PortBus& bus_;
  platform::Clock& clock_;
  platform::KeyboardPort& keyboard_;
  const ControlState& controls_;
};

// The card's six calibration values, out of it and into it.
Corrections CorrectionsOf(const Card& card);
void ApplyCorrections(const Corrections& corrections, Card& card);

}  // namespace kolva::app
