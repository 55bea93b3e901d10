// SPDX-License-Identifier: MIT
#include "app/run/card.h"

#include "app/text/checked_math.h"

namespace kolva::app {

Card::Card(platform::PortBus& bus, platform::Clock& clock, platform::KeyboardPort& keyboard,
           const ControlState& controls)
    : bus_(bus), clock_(clock), keyboard_(keyboard), controls_(controls) {}

void Card::WritePort32(std::uint16_t port, std::uint32_t value) {
  bus_.Write32(port, value);
}

std::uint8_t Card::ReadPort8(std::uint16_t port) {
  if (port == kKeyboardDataPort) return keyboard_.ReadScanCode();
  return bus_.Read8(port);
}

std::uint32_t Card::ReadPort32(std::uint16_t port) {
  return bus_.Read32(port);
}

std::uint16_t Card::CardPort(std::uint16_t offset) const {
  return static_cast<std::uint16_t>(BaseAddress + offset);
}

bool Card::StopKeyDown() {
  return ReadPort8(kKeyboardDataPort) == kStopScanCode;
}

bool Card::CardPresent() {
  return (ReadPort8(BaseAddress) >> 4) == 9;
}

void Card::SelectRange(bool high) {
  WritePort32(BaseAddress, high ? kRangeHigh : kRangeLow);
}

void Card::ReadInputs(std::uint8_t n) {
  std::int32_t s1 = 0;
  std::int32_t s2 = 0;
  const std::uint16_t dataPort = CardPort(kDataPort);
  for (unsigned i = 0; i < n; ++i) {
    const std::uint32_t w = ReadPort32(dataPort);
    // Each half whole, as an unsigned 16-bit count: not masked to 12 bits.
    s1 += static_cast<std::int32_t>(w & 0xFFFFu) - kMidScale;
    s2 += static_cast<std::int32_t>(w >> 16) - kMidScale;
  }
  const auto c1 = static_cast<std::int32_t>(TruncToInt64(Divide(s1, n)));
  const auto c2 = static_cast<std::int32_t>(TruncToInt64(Divide(s2, n)));
  // The zero corrections are unsigned 16-bit, the offsets signed.
  const std::int32_t r1 = c1 + static_cast<std::int32_t>(ZeroCorrection1) + controls_.Offset1();
  const std::int32_t r2 = c2 + static_cast<std::int32_t>(ZeroCorrection2) + controls_.Offset2();

  Input1Value = StoreSingle(r1);
  // Input 2 alone has a gain; the range is tested again for the scale.
  const float gain2 = controls_.LowRange() ? Gain2Low : Gain2High;
  Input2Value = StoreSingle(static_cast<long double>(r2) * gain2);
  if (controls_.LowRange()) {
    Input1Value = StoreSingle(Divide(static_cast<long double>(Input1Value) * ScaleLow, 1000.0L));
    Input2Value = StoreSingle(Divide(static_cast<long double>(Input2Value) * ScaleLow, 1000.0L));
  } else {
    // Two divisions, in this order, each in extended precision.
    Input1Value = StoreSingle(
        Divide(Divide(static_cast<long double>(Input1Value) * ScaleHigh, 10.0L), 100.0L));
    Input2Value = StoreSingle(
        Divide(Divide(static_cast<long double>(Input2Value) * ScaleHigh, 10.0L), 100.0L));
  }
  if (controls_.RawCounts()) {
    Input1Value = StoreSingle(r1);
    Input2Value = StoreSingle(r2);
  }
}

void Card::Delay(std::uint32_t ms) {
  const std::int64_t start = clock_.QueryPerformanceCounter();
  for (;;) {
    const std::int64_t now = clock_.QueryPerformanceCounter();
    const std::int64_t limit = TruncToInt64(static_cast<long double>(ms) * kDelayTicksPerMs);
    if (now - start > limit) return;
    if (StopKeyDown()) return;
  }
}

void Card::WaitForTrigger() {
  if (!controls_.TriggerEnabled()) return;
  constexpr std::uint8_t kTriggerBit = 0x80;
  if (controls_.TriggerOnHigh()) {
    for (;;) {
      if (StopKeyDown()) return;
      if ((ReadPort8(CardPort(kStatusPort)) & kTriggerBit) != 0) break;
    }
  }
  if (controls_.TriggerOnLow()) {
    for (;;) {
      if (StopKeyDown()) return;
      if ((ReadPort8(CardPort(kStatusPort)) & kTriggerBit) == 0) break;
    }
  }
}

Corrections CorrectionsOf(const Card& card) {
  return card;
}

void ApplyCorrections(const Corrections& corrections, Card& card) {
  static_cast<Corrections&>(card) = corrections;
}

}  // namespace kolva::app
