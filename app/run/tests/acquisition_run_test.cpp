// SPDX-License-Identifier: MIT
#include "app/run/acquisition_run.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "acquisition_run_fixture.h"
#include "app/text/errors.h"
#include "app/text/tests/textconv_locale_fake.h"
#include "app/text/textconv.h"

namespace kolva::app {
namespace {

using testing::DataLineOf;
using testing::FileLines;
using testing::FullRunButtons;
using testing::HeaderLines;
using testing::kPeriod1ms;
using testing::ReadWholeFile;
using testing::RunFixture;

// --- the results file, byte for byte -------------------------------------

class ResultsFileTest : public RunFixture {};

TEST_F(ResultsFileTest, LowRangeRunWithDecimalCommaAndSeparateDateAndTime) {
  platform::LocaleSettings locale = testing::Separators(',', '.');
  locale.dateSeparator = '.';
  locale.shortDateFormat = "dd/mm/yyyy";
  locale.longTimeFormat = "hh:mm:ss";
  testing::ScopedLocale scoped(locale);
  // The date is read just before midnight, the time just after: each header
  // line takes its own reading of the clock.
  wallTimes = {DateTime{2026, 3, 7, 23, 59, 59, 900}, DateTime{2026, 3, 8, 0, 0, 0, 10}};
  controls.intervalText = "0,001";
  controls.lengthText = "1";
  controls.liveReadout = true;
  runClock.step = kPeriod1ms;  // one pass per period: readings on passes 2, 3, ...
  PressStopAtRead(5);
  auto run = MakeRun();

  ClickAndFollow(*run);

  std::vector<std::string> lines = HeaderLines("07.03.2026", "00:00:00", "0,001", "1");
  lines.push_back(DataLineOf("0", "36,621", "-54,932", "0"));
  lines.push_back(DataLineOf("1", "36,621", "-54,932", "0,001"));
  lines.push_back(DataLineOf("2", "36,621", "-54,932", "0,002"));
  lines.push_back(DataLineOf("3", "36,621", "-54,932", "0,003"));
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  EXPECT_EQ(wallReads, 2u);
  EXPECT_EQ(run->Timing().periodTicks, kPeriod1ms);
  EXPECT_EQ(run->Timing().taken, 4u);
  EXPECT_EQ(run->ReadingsTaken(), 4u);
  EXPECT_FALSE(controls.liveReadout);
  // Every caption in turn, however fast the run went.
  EXPECT_EQ(controls.buttonHistory, FullRunButtons());
  ASSERT_GE(controls.progressHistory.size(), 2u);
  EXPECT_EQ(controls.progressHistory.end()[-2], 4);
  EXPECT_EQ(controls.progressHistory.back(), 255);
  // The window's card shows the run's last reading.
  EXPECT_EQ(guiCard->Input1Value, 36.62109375f);
  // Results not charted: the chart is left alone.
  EXPECT_TRUE(chart.calls.empty());
}

TEST_F(ResultsFileTest, HighRangeRunWithEditTextsAsTyped) {
  testing::ScopedLocale scoped(platform::LocaleSettings{});  // "m/d/yy", "h:mm:ss"
  wallTimes = {DateTime{2026, 3, 7, 23, 59, 59, 900}, DateTime{2026, 3, 8, 0, 0, 0, 10}};
  controls.intervalText = "0.25";
  controls.lengthText = "1e0";
  controls.lowRange = false;
  runClock.step = 298295;  // Trunc(0.25 * 1193180)
  PressStopAtRead(4);

  RunHere();

  std::vector<std::string> lines = HeaderLines("3/7/26", "0:00:00", "0.25", "1e0");
  lines.push_back(DataLineOf("0", "35.16", "-148.44", "0"));
  lines.push_back(DataLineOf("1", "35.16", "-148.44", "0.25"));
  lines.push_back(DataLineOf("2", "35.16", "-148.44", "0.5"));
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  EXPECT_EQ(events.finished, 1);
  EXPECT_FALSE(events.error);
}

TEST_F(ResultsFileTest, ExistingFileIsTruncatedAfterTheChartIsCleared) {
  testing::ScopedLocale scoped(platform::LocaleSettings{});
  const std::string stale = "an older measurement, much longer than the new one\r\n";
  {
    std::ofstream out(resultsPath, std::ios::binary);
    out << stale << stale << stale << stale << stale << stale << stale << stale;
  }
  controls.intervalText = "0.001";
  controls.chartResults = true;
  std::vector<std::string> fileAtCall;
  chart.onCall = [&](const std::string&) { fileAtCall.push_back(ReadWholeFile(resultsPath)); };
  PressStopAtRead(1);  // the first pass ends the run, before any reading
  auto run = MakeRun();

  ClickAndFollow(*run);

  EXPECT_EQ(chart.calls,
            (std::vector<std::string>{"Show", "RestoreAxes", "ClearPoints 0", "ClearPoints 1"}));
  EXPECT_EQ(chart.shownFor, controls.resultsFileName);  // names the saved picture
  ASSERT_EQ(fileAtCall.size(), 4u);
  for (const std::string& content : fileAtCall) EXPECT_EQ(content.substr(0, stale.size()), stale);
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(HeaderLines("3/7/26", "23:59:59", "0.001", "1")));
}

// --- the schedule --------------------------------------------------------

struct PeriodCase {
  long double interval;
  std::int64_t ticks;
};

class SamplePeriodTest : public ::testing::TestWithParam<PeriodCase> {};

TEST_P(SamplePeriodTest, TruncatesIntervalTimesCounterRate) {
  EXPECT_EQ(SamplePeriodFor(GetParam().interval), GetParam().ticks);
}

INSTANTIATE_TEST_SUITE_P(Intervals, SamplePeriodTest,
                         ::testing::Values(PeriodCase{0.001L, 1193}, PeriodCase{0.01L, 11931},
                                           PeriodCase{0.0001L, 119}, PeriodCase{1.0L, 1193180},
                                           PeriodCase{2.5L, 2982950}, PeriodCase{0.0L, 0},
                                           PeriodCase{1e-7L, 0}, PeriodCase{-0.001L, -1193}));

TEST(SamplePeriodLimitTest, PeriodBeyondSixtyFourBitsIsInvalidOperation) {
  try {
    SamplePeriodFor(1e14L);
    FAIL() << "no error";
  } catch (const MathError& error) {
    EXPECT_EQ(error.What(), MathError::Kind::kInvalidOperation);
  }
}

class ScheduleTest : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    controls.intervalText = "0.001";
  }
  // Readings taken so far, noted at every pass's key test.
  void NoteReadingsPerPass(int stopAtRead) {
    keyboard.onRead = [this, stopAtRead](platform::FakeKeyboard& k) {
      readingsAtPass.push_back(static_cast<std::uint32_t>(events.readings.size()));
      if (k.reads + 1 >= stopAtRead) k.scanCode = Card::kStopScanCode;
    };
  }
  testing::ScopedLocale locale_{platform::LocaleSettings{}};
  std::vector<std::uint32_t> readingsAtPass;
};

TEST_F(ScheduleTest, FirstReadingComesMoreThanOnePeriodAfterStartNumberedZeroAtTimeZero) {
  ScriptCounter({1000, 1000 + kPeriod1ms, 1000 + kPeriod1ms + 1, 1000 + kPeriod1ms + 2});
  NoteReadingsPerPass(3);

  RunHere();

  // Exactly one period after the start is not yet due.
  EXPECT_EQ(readingsAtPass, (std::vector<std::uint32_t>{0, 1, 1}));
  std::vector<std::string> lines = HeaderLines("3/7/26", "23:59:59", "0.001", "1");
  lines.push_back(DataLineOf("0", "36.621", "-54.932", "0"));
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  // Taken one tick after its deadline; one deadline passed by the last pass.
  EXPECT_EQ(events.timing.taken, 1u);
  EXPECT_EQ(events.timing.due, 1u);
  EXPECT_EQ(events.timing.late, 0u);
  EXPECT_EQ(events.timing.worstLatenessTicks, 1);
}

TEST_F(ScheduleTest, StalledLoopCatchesUpWithReadingsBackToBack) {
  const std::int64_t p = kPeriod1ms;
  // A stall of six periods after the first reading.
  ScriptCounter({0, p + 1, 7 * p + 1, 7 * p + 2, 7 * p + 3, 7 * p + 4, 7 * p + 5, 7 * p + 6,
                 7 * p + 7, 8 * p + 1});
  NoteReadingsPerPass(9);

  RunHere();

  // One reading per pass until the deadlines have caught up with the
  // counter, then back on the original schedule.
  EXPECT_EQ(readingsAtPass, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 7, 8}));
  // Readings 1 to 5 came more than a period late, reading 1 the latest.
  EXPECT_EQ(events.timing.taken, 8u);
  EXPECT_EQ(events.timing.due, 8u);
  EXPECT_EQ(events.timing.late, 5u);
  EXPECT_EQ(events.timing.worstLatenessTicks, 5 * p + 1);
  std::vector<std::string> lines = HeaderLines("3/7/26", "23:59:59", "0.001", "1");
  const char* times[] = {"0", "0.001", "0.002", "0.003", "0.004", "0.005", "0.006", "0.007"};
  for (int n = 0; n < 8; ++n) {
    lines.push_back(DataLineOf(std::to_string(n), "36.621", "-54.932", times[n]));
  }
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
}

TEST_F(ScheduleTest, ProgressBarWrapsAtByteAndEndsAt255) {
  runClock.step = kPeriod1ms;
  PressStopAtRead(301);
  auto run = MakeRun();

  ClickAndFollow(*run);

  ASSERT_EQ(run->Timing().taken, 300u);
  // The bar shows the count of readings taken so far, modulo 256.
  ASSERT_GE(controls.progressHistory.size(), 2u);
  EXPECT_EQ(controls.progressHistory.end()[-2], 44);
  EXPECT_EQ(controls.progressHistory.back(), 255);
  const std::string text = ReadWholeFile(resultsPath);
  EXPECT_NE(text.find("\r\n" + DataLineOf("299", "36.621", "-54.932", "0.299") + "\r\n"),
            std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 7), "0.299\r\n");
}

struct LengthCase {
  const char* name;
  int tickMovesAtPass;  // the millisecond count moves on from this pass
  bool keyHeld;
  int keyReads;
  int passes;
};

void PrintTo(const LengthCase& c, std::ostream* os) {
  *os << c.name;
}

class ZeroLengthTest : public ScheduleTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(ZeroLengthTest, EndsAtFirstPassAfterTickCountMoves) {
  const LengthCase& c = GetParam();
  controls.intervalText = "1";
  controls.lengthText = "0";
  runClock.step = 1;
  runClock.followCounter = false;
  runClock.tickMs = 1000;
  runClock.onRead = [&c](platform::FakeClock& clock) {
    clock.tickMs = clock.counterReads >= c.tickMovesAtPass ? 1001 : 1000;
  };
  keyboard.scanCode = c.keyHeld ? Card::kStopScanCode : 0;
  auto run = MakeRun();

  ClickAndFollow(*run);

  EXPECT_EQ(keyboard.reads, c.keyReads);
  EXPECT_EQ(runClock.counterReads, 1 + c.passes);
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(HeaderLines("3/7/26", "23:59:59", "1", "0")));
  EXPECT_EQ(controls.progressHistory, std::vector<int>{255});
  EXPECT_EQ(controls.buttonHistory, FullRunButtons());
}

INSTANTIATE_TEST_SUITE_P(Cases, ZeroLengthTest,
                         ::testing::Values(LengthCase{"SameMillisecond", 4, false, 3, 4},
                                           LengthCase{"MovedAtFirstPass", 1, false, 0, 1},
                                           // The key is tested only while the limit has not passed.
                                           LengthCase{"KeyHeldAfterLimit", 1, true, 0, 1},
                                           LengthCase{"KeyHeldBeforeLimit", 4, true, 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

struct TriggerStopCase {
  const char* name;
  std::int64_t firstPass;  // counter at the first pass, from 0 at the start
  std::uint32_t readings;
};

void PrintTo(const TriggerStopCase& c, std::ostream* os) {
  *os << c.name;
}

class TriggerStopTest : public ScheduleTest,
                        public ::testing::WithParamInterface<TriggerStopCase> {};

TEST_P(TriggerStopTest, StopKeyEndsTheWaitAndTheRunAtTheFirstKeyTest) {
  controls.triggerEnabled = true;
  controls.triggerOnHigh = true;
  controls.triggerOnLow = false;
  options.trigger.high = false;  // the level never comes
  keyboard.scanCode = Card::kStopScanCode;
  std::vector<RunStage> stagesAtKey;
  keyboard.onRead = [&](platform::FakeKeyboard&) { stagesAtKey.push_back(events.stages.back()); };
  ScriptCounter({0, GetParam().firstPass});

  RunHere();

  EXPECT_EQ(stagesAtKey, (std::vector<RunStage>{RunStage::kWaitingForTrigger, RunStage::kRunning}));
  EXPECT_EQ(events.readings.size(), GetParam().readings);
  std::vector<std::string> lines = HeaderLines("3/7/26", "23:59:59", "0.001", "1");
  if (GetParam().readings == 1) lines.push_back(DataLineOf("0", "36.621", "-54.932", "0"));
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  EXPECT_EQ(events.stages, (std::vector<RunStage>{RunStage::kWriting, RunStage::kWaitingForTrigger,
                                                  RunStage::kRunning}));
}

INSTANTIATE_TEST_SUITE_P(Cases, TriggerStopTest,
                         ::testing::Values(TriggerStopCase{"PeriodNotPassed", 10, 0},
                                           TriggerStopCase{"PeriodPassed", kPeriod1ms + 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- what a panel change during a run changes ---------------------------

class PanelChangeTest : public ScheduleTest {
 protected:
  void SetUp() override {
    ScheduleTest::SetUp();
    controls.chartResults = true;
    runClock.step = kPeriod1ms;
  }
};

TEST_F(PanelChangeTest, RangeChosenDuringAReadingAppliesFromTheNextWithItsWordAndFormat) {
  events.onReading = [&](const RunReading& reading) {
    if (reading.number != 1) return;
    controls.lowRange = false;  // the HIGH button, clicked while reading 1 was taken
    controls.chartResults = false;
    Publish();
  };
  PressStopAtRead(4);

  RunHere();

  std::vector<std::string> lines = HeaderLines("3/7/26", "23:59:59", "0.001", "1");
  lines.push_back(DataLineOf("0", "36.621", "-54.932", "0"));
  lines.push_back(DataLineOf("1", "36.621", "-54.932", "0.001"));
  lines.push_back(DataLineOf("2", "35.16", "-148.44", "0.002"));  // HIGH word and format
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  const struct {
    long double x;
    float input1;
    float input2;
    bool charted;
  } expected[] = {{0.0L, 36.62109375f, -54.931640625f, true},
                  {0.001L, 36.62109375f, -54.931640625f, true},
                  {0.002L, 35.15625f, -148.4375f, false}};
  ASSERT_EQ(events.readings.size(), 3u);
  for (std::uint32_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(events.readings[i].number, i);
    EXPECT_EQ(events.readings[i].x, expected[i].x);
    EXPECT_EQ(events.readings[i].input1, expected[i].input1);
    EXPECT_EQ(events.readings[i].input2, expected[i].input2);
    EXPECT_EQ(events.readings[i].charted, expected[i].charted);
  }
}

TEST_F(PanelChangeTest, EditTextsChangedDuringAReadingApplyFromTheNextButNotToThePeriod) {
  events.onReading = [&](const RunReading& reading) {
    if (reading.number == 1) controls.intervalText = "0.002";
    if (reading.number == 2) controls.lengthText = "0";
    Publish();
  };

  RunHere();

  // The new length ends the run at the pass of reading 2.
  std::vector<std::string> lines = HeaderLines("3/7/26", "23:59:59", "0.001", "1");
  lines.push_back(DataLineOf("0", "36.621", "-54.932", "0"));
  lines.push_back(DataLineOf("1", "36.621", "-54.932", "0.001"));
  lines.push_back(DataLineOf("2", "36.621", "-54.932", "0.004"));
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  EXPECT_EQ(events.timing.periodTicks, kPeriod1ms);
  EXPECT_EQ(keyboard.reads, 3);  // passes 1 to 3; pass 4 ends on the length
}

}  // namespace
}  // namespace kolva::app
