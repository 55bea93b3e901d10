// SPDX-License-Identifier: MIT
#include "app/acquisition_run.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "acquisition_run_fixture.h"
#include "app/errors.h"
#include "textconv_locale_fake.h"

namespace kolva::app {
namespace {

using testing::DataLineOf;
using testing::FileLines;
using testing::HeaderLines;
using testing::ReadWholeFile;
using testing::RunFixture;

constexpr std::int64_t kPeriod1ms = 1193;  // Trunc(0.001 * 1193180)

std::vector<std::pair<std::string, bool>> FullRunButtons() {
  return {{"ZAPISUJE", false},
          {"WAITING FOR TRIGGER", false},
          {"RUNNING", false},
          {"ACQUISITION START", true}};
}

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

  run->Button3Click();

  std::vector<std::string> lines = HeaderLines("07.03.2026", "00:00:00", "0,001", "1");
  lines.push_back(DataLineOf("0", "36,621", "-54,932", "0"));
  lines.push_back(DataLineOf("1", "36,621", "-54,932", "0,001"));
  lines.push_back(DataLineOf("2", "36,621", "-54,932", "0,002"));
  lines.push_back(DataLineOf("3", "36,621", "-54,932", "0,003"));
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  EXPECT_EQ(wallReads, 2u);
  EXPECT_EQ(run->SamplePeriod, kPeriod1ms);
  EXPECT_EQ(run->SampleNumber, 4u);
  EXPECT_FALSE(controls.liveReadout);
  EXPECT_EQ(controls.buttonHistory, FullRunButtons());
  EXPECT_EQ(controls.progressHistory, (std::vector<int>{1, 2, 3, 4, 255}));
  // Results not charted: the chart is left alone and no message is handled.
  EXPECT_TRUE(chart.calls.empty());
  EXPECT_EQ(pumps, 0);
}

TEST_F(ResultsFileTest, HighRangeRunWithEditTextsAsTyped) {
  testing::ScopedLocale scoped(platform::LocaleSettings{});  // "m/d/yy", "h:mm:ss"
  wallTimes = {DateTime{2026, 3, 7, 23, 59, 59, 900}, DateTime{2026, 3, 8, 0, 0, 0, 10}};
  controls.intervalText = "0.25";
  controls.lengthText = "1e0";
  controls.lowRange = false;
  runClock.step = 298295;  // Trunc(0.25 * 1193180)
  PressStopAtRead(4);
  auto run = MakeRun();

  run->Button3Click();

  std::vector<std::string> lines = HeaderLines("3/7/26", "0:00:00", "0.25", "1e0");
  lines.push_back(DataLineOf("0", "35.16", "-148.44", "0"));
  lines.push_back(DataLineOf("1", "35.16", "-148.44", "0.25"));
  lines.push_back(DataLineOf("2", "35.16", "-148.44", "0.5"));
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  EXPECT_EQ(controls.progressHistory.back(), 255);
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

  run->Button3Click();

  EXPECT_EQ(chart.calls, (std::vector<std::string>{"Show", "ClearPoints 0", "ClearPoints 1"}));
  ASSERT_EQ(fileAtCall.size(), 3u);
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
  void NoteReadingsPerPass(const AcquisitionRun& run, int stopAtRead) {
    keyboard.onRead = [this, &run, stopAtRead](platform::FakeKeyboard& k) {
      readingsAtPass.push_back(run.SampleNumber);
      if (k.reads + 1 >= stopAtRead) k.scanCode = Card::kStopScanCode;
    };
  }
  testing::ScopedLocale locale_{platform::LocaleSettings{}};
  std::vector<std::uint32_t> readingsAtPass;
};

TEST_F(ScheduleTest, FirstReadingComesMoreThanOnePeriodAfterStartNumberedZeroAtTimeZero) {
  ScriptCounter({1000, 1000 + kPeriod1ms, 1000 + kPeriod1ms + 1, 1000 + kPeriod1ms + 2});
  auto run = MakeRun();
  NoteReadingsPerPass(*run, 3);

  run->Button3Click();

  // Exactly one period after the start is not yet due.
  EXPECT_EQ(readingsAtPass, (std::vector<std::uint32_t>{0, 1, 1}));
  std::vector<std::string> lines = HeaderLines("3/7/26", "23:59:59", "0.001", "1");
  lines.push_back(DataLineOf("0", "36.621", "-54.932", "0"));
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  EXPECT_EQ(run->NextDeadline, 1000 + kPeriod1ms);
}

TEST_F(ScheduleTest, StalledLoopCatchesUpWithReadingsBackToBack) {
  const std::int64_t p = kPeriod1ms;
  // A stall of six periods after the first reading.
  ScriptCounter({0, p + 1, 7 * p + 1, 7 * p + 2, 7 * p + 3, 7 * p + 4, 7 * p + 5, 7 * p + 6,
                 7 * p + 7, 8 * p + 1});
  auto run = MakeRun();
  NoteReadingsPerPass(*run, 9);

  run->Button3Click();

  // One reading per pass until the deadlines have caught up with the
  // counter, then back on the original schedule.
  EXPECT_EQ(readingsAtPass, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6, 7, 7, 8}));
  EXPECT_EQ(run->NextDeadline, 8 * p);
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

  run->Button3Click();

  ASSERT_EQ(run->SampleNumber, 300u);
  ASSERT_EQ(controls.progressHistory.size(), 301u);
  EXPECT_EQ(controls.progressHistory[0], 1);
  EXPECT_EQ(controls.progressHistory[254], 255);
  EXPECT_EQ(controls.progressHistory[255], 0);
  EXPECT_EQ(controls.progressHistory[299], 44);
  EXPECT_EQ(controls.progressHistory[300], 255);
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

  run->Button3Click();

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
  std::vector<std::string> buttonsInWait;
  keyboard.onRead = [&](platform::FakeKeyboard&) {
    buttonsInWait.push_back(controls.runButtonCaption);
  };
  ScriptCounter({0, GetParam().firstPass});
  auto run = MakeRun();

  run->Button3Click();

  EXPECT_EQ(buttonsInWait, (std::vector<std::string>{"WAITING FOR TRIGGER", "RUNNING"}));
  EXPECT_EQ(run->SampleNumber, GetParam().readings);
  std::vector<std::string> lines = HeaderLines("3/7/26", "23:59:59", "0.001", "1");
  if (GetParam().readings == 1) lines.push_back(DataLineOf("0", "36.621", "-54.932", "0"));
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  EXPECT_EQ(controls.buttonHistory, FullRunButtons());
}

INSTANTIATE_TEST_SUITE_P(Cases, TriggerStopTest,
                         ::testing::Values(TriggerStopCase{"PeriodNotPassed", 10, 0},
                                           TriggerStopCase{"PeriodPassed", kPeriod1ms + 1, 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- what the message pump may change during a charted run -------------

class ChartedRunTest : public ScheduleTest {
 protected:
  void SetUp() override {
    ScheduleTest::SetUp();
    controls.chartResults = true;
    runClock.step = kPeriod1ms;
  }
};

TEST_F(ChartedRunTest, RangeClickInPumpChangesFormatOfThatLineAndScaleOfLaterReadings) {
  auto run = MakeRun();
  onPump = [&] {
    if (run->SampleNumber != 1) return;
    controls.lowRange = false;  // the HIGH button's click, as its handler does it
    card->WritePort32(kBase, Card::kRangeHigh);
  };
  PressStopAtRead(4);

  run->Button3Click();

  std::vector<std::string> lines = HeaderLines("3/7/26", "23:59:59", "0.001", "1");
  lines.push_back(DataLineOf("0", "36.621", "-54.932", "0"));
  lines.push_back(DataLineOf("1", "36.62", "-54.93", "0.001"));  // LOW reading, HIGH format
  lines.push_back(DataLineOf("2", "35.16", "-148.44", "0.002"));
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  EXPECT_EQ(pumps, 3);
  EXPECT_EQ(chart.calls, (std::vector<std::string>{"Show", "ClearPoints 0", "ClearPoints 1",
                                                   "AddPoint 0", "AddPoint 1", "AddPoint 0",
                                                   "AddPoint 1", "AddPoint 0", "AddPoint 1"}));
  const struct {
    int series;
    long double x;
    float y;
    std::uint32_t color;
  } expected[] = {{0, 0.0L, 36.62109375f, 255},   {1, 0.0L, -54.931640625f, 0xFFFFFF},
                  {0, 0.001L, 36.62109375f, 255}, {1, 0.001L, -54.931640625f, 0xFFFFFF},
                  {0, 0.002L, 35.15625f, 255},    {1, 0.002L, -148.4375f, 0xFFFFFF}};
  ASSERT_EQ(chart.points.size(), 6u);
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(chart.points[i].series, expected[i].series);
    EXPECT_EQ(chart.points[i].x, expected[i].x);
    EXPECT_EQ(chart.points[i].y, expected[i].y);
    EXPECT_EQ(chart.points[i].color, expected[i].color);
  }
}

TEST_F(ChartedRunTest, EditTextsChangedInPumpApplyAtTheirNextUseButNotToThePeriod) {
  auto run = MakeRun();
  onPump = [&] {
    if (run->SampleNumber == 1) controls.intervalText = "0.002";
    if (run->SampleNumber == 2) controls.lengthText = "0";
  };

  run->Button3Click();

  // Reading 1's points were added before the change, its line after it; the
  // new length ends the run at the pass of reading 2.
  std::vector<std::string> lines = HeaderLines("3/7/26", "23:59:59", "0.001", "1");
  lines.push_back(DataLineOf("0", "36.621", "-54.932", "0"));
  lines.push_back(DataLineOf("1", "36.621", "-54.932", "0.002"));
  lines.push_back(DataLineOf("2", "36.621", "-54.932", "0.004"));
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  ASSERT_EQ(chart.points.size(), 6u);
  EXPECT_EQ(chart.points[2].x, 0.001L);
  EXPECT_EQ(chart.points[4].x, 0.004L);
  EXPECT_EQ(run->SamplePeriod, kPeriod1ms);
  EXPECT_EQ(run->NextDeadline, 3 * kPeriod1ms);
  EXPECT_EQ(keyboard.reads, 3);  // passes 1 to 3; pass 4 ends on the length
}

}  // namespace
}  // namespace kolva::app
