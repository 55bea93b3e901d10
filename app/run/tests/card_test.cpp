// SPDX-License-Identifier: MIT
#include "app/run/card.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/text/errors.h"
#include "fake_controls.h"
#include "platform/sim_card.h"
#include "platform/tests/fake_clock.h"
#include "platform/tests/fake_keyboard.h"

namespace kolva::app {
namespace {

// A bus that answers conversions and status bytes from scripts (the last
// entry repeats) and records every access.
class ScriptedBus : public platform::PortBus {
 public:
  std::vector<std::uint32_t> words{0x07FF07FF};
  std::vector<std::uint8_t> statuses{0x00};
  std::uint8_t identity = 0x90;
  std::uint16_t statusPort = 4;
  std::vector<std::uint16_t> read8Ports;
  std::vector<std::uint16_t> read32Ports;
  std::vector<std::pair<std::uint16_t, std::uint32_t>> writes;
  std::size_t statusReads = 0;

  std::uint8_t Read8(std::uint16_t port) override {
    read8Ports.push_back(port);
    if (port != statusPort) return identity;
    return statuses[std::min(statusReads++, statuses.size() - 1)];
  }
  std::uint32_t Read32(std::uint16_t port) override {
    read32Ports.push_back(port);
    return words[std::min(read32Ports.size() - 1, words.size() - 1)];
  }
  void Write32(std::uint16_t port, std::uint32_t value) override {
    writes.emplace_back(port, value);
  }
};

std::uint32_t Word(std::uint16_t input1, std::uint16_t input2) {
  return input1 | static_cast<std::uint32_t>(input2) << 16;
}

class CardTest : public ::testing::Test {
 protected:
  ScriptedBus bus;
  platform::FakeClock clock;
  platform::FakeKeyboard keyboard;
  FakeControls controls;
  Card card{bus, clock, keyboard, controls};
};

// One ReadInputs case: the words read, the card's and panel's settings, and the
// readings expected, worked out by hand.
struct ReadCase {
  const char* name;
  std::vector<std::uint32_t> words;
  std::uint8_t n;
  bool raw;
  bool low;
  std::uint16_t zero1, zero2;
  int offset1, offset2;
  float gain2, scale;
  float expected1, expected2;
};

class ReadInputsTest : public CardTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadInputsTest, GivesTheExpectedReadings) {
  const ReadCase& c = GetParam();
  bus.words = c.words;
  controls.rawCounts = c.raw;
  controls.lowRange = c.low;
  controls.offset1 = c.offset1;
  controls.offset2 = c.offset2;
  card.ZeroCorrection1 = c.zero1;
  card.ZeroCorrection2 = c.zero2;
  card.Gain2Low = card.Gain2High = c.gain2;
  card.ScaleLow = card.ScaleHigh = c.scale;
  card.ReadInputs(c.n);
  EXPECT_EQ(card.Input1Value, c.expected1);
  EXPECT_EQ(card.Input2Value, c.expected2);
  EXPECT_EQ(bus.read32Ports.size(), c.n);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadInputsTest,
    ::testing::Values(
        ReadCase{"CentredReadsZero", {Word(2047, 2047)}, 1, false, true, 0, 0, 0, 0, 1, 1, 0, 0},
        // The halves are taken whole: 0x0000 and 0x0FFF, and 0xFFFF is not masked to 12 bits.
        ReadCase{
            "HalvesUnmasked", {Word(0x0000, 0x0FFF)}, 1, true, true, 0, 0, 0, 0, 1, 1, -2047, 2048},
        ReadCase{"TopHalfWhole", {Word(0xFFFF, 2047)}, 1, true, false, 0, 0, 0, 0, 1, 1, 63488, 0},
        // [-1, -2] averages to Trunc(-1.5) = -1; [+1, +2] to +1.
        ReadCase{"TruncTowardZero",
                 {Word(2046, 2048), Word(2045, 2049)},
                 2,
                 true,
                 true,
                 0,
                 0,
                 0,
                 0,
                 1,
                 1,
                 -1,
                 1},
        // -3.7 truncates to -3: sum -37 over 10.
        ReadCase{"TruncOfTenths",
                 {Word(2043, 2047), Word(2043, 2047), Word(2043, 2047), Word(2043, 2047),
                  Word(2043, 2047), Word(2043, 2047), Word(2043, 2047), Word(2044, 2047),
                  Word(2044, 2047), Word(2044, 2047)},
                 10,
                 true,
                 true,
                 0,
                 0,
                 0,
                 0,
                 1,
                 1,
                 -3,
                 0},
        ReadCase{"ZeroCorrectionIsUnsigned",
                 {Word(2047, 2047)},
                 1,
                 true,
                 true,
                 65535,
                 1,
                 0,
                 0,
                 1,
                 1,
                 65535,
                 1},
        ReadCase{"RawKeepsOffset", {Word(2047, 2047)}, 1, true, true, 0, 0, 5, -7, 9, 9, 5, -7},
        // LOW: 100 counts * 0.75 / 1000; input 2: -200 * 1.5 gain * 0.75 / 1000.
        ReadCase{"LowScale",
                 {Word(2147, 1847)},
                 1,
                 false,
                 true,
                 0,
                 0,
                 0,
                 0,
                 1.5f,
                 0.75f,
                 0.075f,
                 -0.225f},
        // HIGH: 2048 * 3.90625 / 10 / 100 = 8; -4094 * 3.90625 / 10 / 100 = -15.9921875.
        ReadCase{"HighScale",
                 {Word(4095, 0)},
                 1,
                 false,
                 false,
                 0,
                 0,
                 0,
                 0,
                 2.0f,
                 3.90625f,
                 8.0f,
                 -15.9921875f},
        // Corrections and offsets add before the scale: (1 + 10 - 1) * 100 / 10 / 100 = 1.
        ReadCase{"OffsetsBeforeScale",
                 {Word(2048, 2047)},
                 1,
                 false,
                 false,
                 10,
                 0,
                 -1,
                 0,
                 1,
                 100,
                 1.0f,
                 0.0f},
        // 100 reads back to back, all averaged.
        ReadCase{"FullAveraging", std::vector<std::uint32_t>(100, Word(2057, 2037)), 100, true,
                 true, 0, 0, 0, 0, 1, 1, 10, -10}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CardTest, ReadInputsReadsTheDataPortWithWrap) {
  card.BaseAddress = 0xFFF8;  // + 12 wraps to 0x0004
  card.ReadInputs(3);
  EXPECT_EQ(bus.read32Ports, (std::vector<std::uint16_t>{4, 4, 4}));
}

TEST_F(CardTest, ReadInputsRaisesTheUnitsFaults) {
  // No reads: 0 / 0.
  EXPECT_THROW(card.ReadInputs(0), MathError);
  // A gain that overflows single precision on the store.
  bus.words = {Word(2047, 2049)};
  card.Gain2Low = 3e38f;
  card.ScaleLow = 1;
  try {
    card.ReadInputs(1);
    FAIL() << "no overflow raised";
  } catch (const MathError& error) {
    EXPECT_EQ(error.What(), MathError::Kind::kOverflow);
  }
}

TEST_F(CardTest, ReadsTheSimulatedCardsCounts) {
  platform::SimCardOptions options;
  options.input1.offsetMv = 375.0;    // half of LOW full scale: 1024 counts
  options.input2.offsetMv = -4000.0;  // half of HIGH full scale: -1024 counts
  platform::SimCard sim(options, clock);
  Card simCard(sim, clock, keyboard, controls);
  simCard.BaseAddress = options.base;
  controls.rawCounts = true;
  simCard.ReadInputs(4);
  EXPECT_EQ(simCard.Input1Value, 1024);
  EXPECT_EQ(simCard.Input2Value, -2047);  // -4 V clips at the bottom of LOW
  simCard.WritePort32(simCard.BaseAddress, Card::kRangeHigh);
  simCard.ReadInputs(4);
  EXPECT_EQ(simCard.Input1Value, 96);  // 375 mV of 8 V: 2047 + 96 counts
  EXPECT_EQ(simCard.Input2Value, -1024);
}

TEST_F(CardTest, IdentityNibbleNineIsACard) {
  card.BaseAddress = 0x300;
  for (const auto& [identity, present] : std::vector<std::pair<std::uint8_t, bool>>{
           {0x90, true}, {0x9F, true}, {0x8F, false}, {0xA0, false}, {0xFF, false}}) {
    bus.identity = identity;
    EXPECT_EQ(card.CardPresent(), present) << int(identity);
  }
  EXPECT_EQ(bus.read8Ports.back(), 0x300);
}

TEST_F(CardTest, KeyboardDataPortNeverReachesTheBus) {
  keyboard.scanCode = 31;
  EXPECT_EQ(card.ReadPort8(0x60), 31);
  EXPECT_TRUE(bus.read8Ports.empty());
  card.WritePort32(0xD800, Card::kRangeLow);
  EXPECT_EQ(bus.writes, (std::vector<std::pair<std::uint16_t, std::uint32_t>>{{0xD800, 32}}));
}

// Delay(ms) ends once the counter has moved more than Trunc(ms * 1183.236)
// ticks: with one tick per read, after exactly limit + 2 counter reads.
TEST_F(CardTest, DelayWaitsTruncatedTicks) {
  clock.step = 1;
  for (const auto& [ms, limit] : std::vector<std::pair<std::uint32_t, std::int64_t>>{
           {0, 0}, {1, 1183}, {3, 3549}, {1000, 1183236}, {1800, 2129824}}) {
    clock.counterReads = 0;
    keyboard.reads = 0;
    card.Delay(ms);
    EXPECT_EQ(clock.counterReads, limit + 2) << ms;
    EXPECT_EQ(keyboard.reads, limit) << ms;  // the stop key, once per unfinished turn
  }
}

TEST_F(CardTest, DelayEndsEarlyOnlyOnTheStopKey) {
  clock.step = 1;
  keyboard.scanCode = 31 | 0x80;  // S released: no stop
  card.Delay(2);
  EXPECT_EQ(clock.counterReads, 2366 + 2);
  keyboard.reads = 0;
  clock.counterReads = 0;
  keyboard.onRead = [](platform::FakeKeyboard& k) {
    if (k.reads == 4) k.scanCode = 31;
  };
  card.Delay(1800);
  EXPECT_EQ(keyboard.reads, 5);
  EXPECT_EQ(clock.counterReads, 6);
}

TEST_F(CardTest, DelayComparesSigned) {
  // A counter that steps backwards never ends the wait by time.
  clock.counter = 1000;
  clock.step = -1;
  keyboard.onRead = [](platform::FakeKeyboard& k) {
    if (k.reads == 99) k.scanCode = 31;
  };
  card.Delay(0);
  EXPECT_EQ(keyboard.reads, 100);
}

TEST_F(CardTest, WaitForTriggerOffReadsNothing) {
  controls.triggerEnabled = false;
  controls.triggerOnHigh = true;
  bus.statuses = {0x00};
  keyboard.scanCode = 0;
  card.WaitForTrigger();
  EXPECT_EQ(bus.statusReads, 0u);
  EXPECT_EQ(keyboard.reads, 0);
}

// One trigger wait: the polarity, the status bytes in turn, the keyboard read
// on which S goes down (0: never), and the reads expected.
struct TriggerCase {
  const char* name;
  bool onHigh;
  std::vector<std::uint8_t> statuses;
  int stopOnKeyRead;
  std::size_t statusReads;
  int keyReads;
};

class WaitForTriggerTest : public CardTest, public ::testing::WithParamInterface<TriggerCase> {};

TEST_P(WaitForTriggerTest, ReadsUntilTheLevelOrTheStopKey) {
  const TriggerCase& c = GetParam();
  controls.triggerEnabled = true;
  controls.triggerOnHigh = c.onHigh;
  controls.triggerOnLow = !c.onHigh;
  card.BaseAddress = 0x2F0;
  bus.statusPort = 0x2F4;
  bus.statuses = c.statuses;
  keyboard.onRead = [stop = c.stopOnKeyRead](platform::FakeKeyboard& k) {
    if (k.reads + 1 == stop) k.scanCode = 31;
  };
  card.WaitForTrigger();
  EXPECT_EQ(bus.statusReads, c.statusReads);
  EXPECT_EQ(keyboard.reads, c.keyReads);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WaitForTriggerTest,
    ::testing::Values(TriggerCase{"HighAlreadyPresent", true, {0x80}, 0, 1, 1},
                      TriggerCase{"LowAlreadyPresent", false, {0x7F}, 0, 1, 1},
                      TriggerCase{"HighAfterThree", true, {0x00, 0x7F, 0x00, 0xFF}, 0, 4, 4},
                      TriggerCase{"LowAfterTwo", false, {0x80, 0xFF, 0x00}, 0, 3, 3},
                      // The key is tested before each status read: S on the third test leaves
                      // two status reads behind it.
                      TriggerCase{"StopWhileWaitingHigh", true, {0x00}, 3, 2, 3},
                      TriggerCase{"StopWhileWaitingLow", false, {0x80}, 3, 2, 3},
                      TriggerCase{"StopBeforeAnyRead", true, {0x80}, 1, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kolva::app
