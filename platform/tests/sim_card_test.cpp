// SPDX-License-Identifier: MIT
#include "platform/sim_card.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "platform/port_bus.h"

namespace kolva::platform {
namespace {

TEST(SimCardCounts, FollowTheSelectedRange) {
  struct Case {
    double millivolts;
    bool high;
    int count;
  };
  const std::vector<Case> cases{
      {0, false, 2047},    {375, false, 3071},  {-375, false, 1023}, {750, false, 4095},
      {-750, false, 0},    {1000, false, 4095}, {-5000, false, 0},   {0.18, false, 2047},
      {0.19, false, 2048}, {8000, true, 4095},  {-8000, true, 0},    {4000, true, 3071},
      {-4000, true, 1023}, {1, true, 2047},     {2, true, 2048},     {375, true, 2143},
      {1e300, true, 4095}, {-1e300, false, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SimCard::CountFor(c.millivolts, c.high), c.count)
        << c.millivolts << (c.high ? " HIGH" : " LOW");
  }
}

class SimCardTest : public ::testing::Test {
 protected:
  FakeClock clock;
  SimCardOptions options;

  std::uint16_t Input1At(SimCard& card, std::int64_t ticks) {
    clock.counter = ticks;
    return static_cast<std::uint16_t>(card.Read32(card.Options().base + 12) & 0xFFFF);
  }
};

TEST_F(SimCardTest, AnswersOnlyTheCardsSixteenPorts) {
  options.base = 0x300;
  options.identity = 0x9A;
  options.input1.offsetMv = 375;
  options.input2.offsetMv = -375;
  SimCard card(options, clock);
  EXPECT_EQ(card.Read8(0x300), 0x9A);
  EXPECT_EQ(card.Read8(0x304), 0x00);  // trigger low
  EXPECT_EQ(card.Read32(0x30C), 3071u | 1023u << 16);
  for (const std::uint16_t inside : {0x301, 0x308, 0x30F}) EXPECT_EQ(card.Read8(inside), 0);
  for (const std::uint16_t outside : {0x2FF, 0x310, 0x0000, 0xD800}) {
    EXPECT_EQ(card.Read8(outside), 0xFF) << outside;
    EXPECT_EQ(card.Read32(outside), 0xFFFFFFFFu) << outside;
  }
}

TEST_F(SimCardTest, RangeWordSwitchesTheScale) {
  options.input1.offsetMv = 375;
  SimCard card(options, clock);
  EXPECT_FALSE(card.HighRange());  // LOW at power-on
  card.Write32(0xD800, 32800);
  EXPECT_TRUE(card.HighRange());
  EXPECT_EQ(Input1At(card, 0), 2143);
  card.Write32(0xD804, 32);  // not the range port
  card.Write32(0xD810, 32);  // not the card
  EXPECT_TRUE(card.HighRange());
  card.Write32(0xD800, 32);
  EXPECT_FALSE(card.HighRange());
  EXPECT_EQ(Input1At(card, 0), 3071);
}

TEST_F(SimCardTest, PortsWrapAtTheTopOfTheBus) {
  options.base = 0xFFF8;
  SimCard card(options, clock);
  EXPECT_EQ(card.Read32(0x0004), 2047u | 2047u << 16);  // base + 12
  EXPECT_EQ(card.Read8(0x0008), 0xFF);
}

TEST_F(SimCardTest, SignalsFollowTheCounterTime) {
  // A quarter second is 298,295 ticks exactly.
  constexpr std::int64_t kQuarter = Clock::kCounterTicksPerSecond / 4;
  struct Case {
    SimSignal signal;
    std::int64_t ticks;
    int count;
  };
  using K = SimSignal::Kind;
  const std::vector<Case> cases{
      {{K::kSine, 500, 0, 1}, kQuarter, 3412},     // +500 mV: 2047 + 1365.33
      {{K::kSine, 500, 0, 1}, 3 * kQuarter, 682},  // -500 mV: 2047 - 1365.33
      {{K::kSine, 500, 0, 1}, 0, 2047},
      {{K::kSine, 300, 75, 2}, kQuarter / 2, 3071},  // 375 mV at the crest of 2 Hz
      {{K::kSquare, 375, 0, 1}, kQuarter, 3071},
      {{K::kSquare, 375, 0, 1}, 3 * kQuarter, 1023},
      {{K::kTriangle, 375, 0, 1}, 0, 1023},
      {{K::kTriangle, 375, 0, 1}, kQuarter, 2047},
      {{K::kTriangle, 375, 0, 1}, 2 * kQuarter, 3071},
      {{K::kDc, 0, -375, 0}, 5 * kQuarter, 1023},
  };
  for (const Case& c : cases) {
    options.input1 = c.signal;
    SimCard card(options, clock);
    EXPECT_EQ(Input1At(card, c.ticks), c.count) << int(c.signal.kind) << " at " << c.ticks;
  }
}

TEST_F(SimCardTest, TriggerLevelIsStatusBitSeven) {
  options.trigger.periodSeconds = 4;
  SimCard card(options, clock);
  for (const auto& [seconds, status] : std::vector<std::pair<double, int>>{
           {0, 0x80}, {1.9, 0x80}, {2.1, 0x00}, {3.9, 0x00}, {4.1, 0x80}}) {
    clock.counter = 0;
    clock.AdvanceSeconds(seconds);
    EXPECT_EQ(card.Read8(0xD804), status) << seconds;
  }
  options.trigger = SimTrigger{true, 0};
  SimCard high(options, clock);
  EXPECT_EQ(high.Read8(0xD804), 0x80);
}

TEST_F(SimCardTest, NoiseIsSeededAndBounded) {
  options.noiseCounts = 3;
  options.seed = 7;
  SimCard first(options, clock), second(options, clock);
  options.seed = 8;
  SimCard other(options, clock);
  std::set<int> seen;
  bool differs = false;
  for (int i = 0; i < 400; ++i) {
    const std::uint32_t word = first.Read32(0xD80C);
    EXPECT_EQ(second.Read32(0xD80C), word);
    differs = differs || other.Read32(0xD80C) != word;
    for (const int count : {int(word & 0xFFFF), int(word >> 16)}) {
      EXPECT_LE(std::abs(count - 2047), 3);
      seen.insert(count);
    }
  }
  EXPECT_TRUE(differs);
  EXPECT_EQ(seen.size(), 7u);  // every value from -3 to +3 turns up
}

TEST(SimCardOptionsTest, ParsesEachOption) {
  SimCardOptions options = ParseSimCardOptions("");
  EXPECT_EQ(options.base, 0xD800);
  EXPECT_EQ(options.identity, 0x90);
  options = ParseSimCardOptions(
      ",base=0x300,id=$9C,in1=sine:500mV:1Hz,in2=dc:-200mV,trigger=square:4s,noise=2,seed=42");
  EXPECT_EQ(options.base, 0x300);
  EXPECT_EQ(options.identity, 0x9C);
  EXPECT_EQ(options.input1.kind, SimSignal::Kind::kSine);
  EXPECT_EQ(options.input1.amplitudeMv, 500);
  EXPECT_EQ(options.input1.frequencyHz, 1);
  EXPECT_EQ(options.input2.kind, SimSignal::Kind::kDc);
  EXPECT_EQ(options.input2.offsetMv, -200);
  EXPECT_EQ(options.trigger.periodSeconds, 4);
  EXPECT_EQ(options.noiseCounts, 2);
  EXPECT_EQ(options.seed, 42u);
  options = ParseSimCardOptions("base=768,in1=triangle:0.25V:50Hz:+100mV,trigger=square:250ms");
  EXPECT_EQ(options.base, 768);
  EXPECT_EQ(options.input1.kind, SimSignal::Kind::kTriangle);
  EXPECT_EQ(options.input1.amplitudeMv, 250);
  EXPECT_EQ(options.input1.frequencyHz, 50);
  EXPECT_EQ(options.input1.offsetMv, 100);
  EXPECT_EQ(options.trigger.periodSeconds, 0.25);
  options = ParseSimCardOptions("trigger=1,in2=square:-1.5V:0.5Hz");
  EXPECT_TRUE(options.trigger.high);
  EXPECT_EQ(options.input2.amplitudeMv, -1500);
}

TEST(SimCardOptionsTest, RefusesABadOptionByName) {
  for (const std::string bad : {"bse=1",
                                "base",
                                "base=",
                                "base=0x10000",
                                "base=abc",
                                "base=-1",
                                "id=256",
                                "in1=sine:5:1Hz",
                                "in1=sine:5mV",
                                "in1=sine:5mV:0Hz",
                                "in1=sine:5mV:1Hz:2mV:3",
                                "in1=saw:1V:1Hz",
                                "in1=dc",
                                "in2=dc:1e3mV",
                                "trigger=2",
                                "trigger=square:0s",
                                "trigger=square:4",
                                "noise=-1",
                                "noise=5000",
                                "seed=x",
                                "base=0x300,,id=0x90"}) {
    try {
      ParseSimCardOptions(bad);
      ADD_FAILURE() << "accepted " << bad;
    } catch (const std::invalid_argument& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find("KOLVA_CARD"), std::string::npos) << message;
      EXPECT_NE(message.find("\""), std::string::npos) << message;
    }
  }
}

TEST(PortBusFactory, SimSelectsTheSimulatedCard) {
  for (const auto& [setting, sim] :
       std::vector<std::pair<const char*, bool>>{{"sim", true},
                                                 {"sim,base=0x300", true},
                                                 {"", false},
                                                 {"simulated", false},
                                                 {"SIM", false},
                                                 {"hw", false}}) {
    EXPECT_EQ(SelectsSimulatedCard(setting), sim) << setting;
  }
  FakeClock clock;
  const auto bus = MakePortBus("sim,base=0x300", clock);
  EXPECT_EQ(bus->Read8(0x300), 0x90);
  EXPECT_EQ(bus->Read8(0xD800), 0xFF);
  EXPECT_THROW(MakePortBus("sim,base=0x300,frob=1", clock), std::invalid_argument);
}

}  // namespace
}  // namespace kolva::platform
