// SPDX-License-Identifier: MIT
// The click and the GUI thread's side of a run, with the sampler on its own
// thread on the fake clock.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acquisition_run_fixture.h"
#include "app/files/results_reader.h"
#include "app/run/acquisition_run.h"
#include "app/text/tests/textconv_locale_fake.h"
#include "app/text/textconv.h"

namespace kolva::app {
namespace {

using testing::DataLineOf;
using testing::FileLines;
using testing::FullRunButtons;
using testing::HeaderLines;
using testing::kPeriod1ms;
using testing::Nearest;
using testing::ReadWholeFile;
using testing::RunFixture;

class ClickTest : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    controls.intervalText = "0.001";
  }
  testing::ScopedLocale locale_{platform::LocaleSettings{}};
};

TEST_F(ClickTest, ChartedRunAddsEveryReadingToBothSeriesInOrder) {
  controls.chartResults = true;
  runClock.step = kPeriod1ms;
  PressStopAtRead(2001);
  auto run = MakeRun();

  ClickAndFollow(*run);

  ASSERT_EQ(run->Timing().taken, 2000u);
  ASSERT_EQ(chart.points.size(), 4000u);
  for (std::size_t i = 0; i < chart.points.size(); ++i) {
    const FakeResultsChart::Point& point = chart.points[i];
    ASSERT_EQ(point.series, static_cast<int>(i % 2)) << i;
    ASSERT_EQ(point.x, 0.001L * static_cast<long double>(i / 2)) << i;
    ASSERT_EQ(point.color, i % 2 == 0 ? ResultsChart::kInput1Color : ResultsChart::kInput2Color);
  }
}

TEST_F(ClickTest, ClickDuringARunIsIgnoredAndEndNowKeepsEveryLine) {
  controls.lengthText = "1e6";
  runClock.step = kPeriod1ms;
  auto run = MakeRun();
  run->Button3Click();
  ASSERT_TRUE(testing::WaitUntil(
      [&] {
        run->Update();
        return run->ReadingsTaken() >= 100;
      },
      "100 readings"));

  run->Button3Click();  // the button is disabled; a click that got through does nothing
  EXPECT_TRUE(run->Active());
  run->EndNow();

  EXPECT_FALSE(run->Active());
  const auto taken = static_cast<int>(run->Timing().taken);
  EXPECT_EQ(static_cast<int>(run->ReadingsTaken()), taken);
  std::vector<std::string> lines = HeaderLines("3/7/26", "23:59:59", "0.001", "1e6");
  for (int n = 0; n < taken; ++n) {
    lines.push_back(DataLineOf(std::to_string(n), "36.621", "-54.932",
                               FloatText(0.001L * static_cast<long double>(n))));
  }
  EXPECT_EQ(ReadWholeFile(resultsPath), FileLines(lines));
  EXPECT_EQ(wallReads, 2u);  // one header: one run
  EXPECT_EQ(controls.buttonHistory, FullRunButtons());
  EXPECT_EQ(controls.progressHistory.back(), 255);
}

// The edits typed into during a run pass through texts that do not convert:
// the run keeps the last that did, and takes a valid one from its next
// reading. Whether it is charted stays as it was at the click.
TEST_F(ClickTest, TextsBeingTypedNeverEndARunAndTheChartBoxWaitsForTheNext) {
  controls.lengthText = "1e6";
  runClock.step = kPeriod1ms;
  auto run = MakeRun();
  run->Button3Click();
  std::uint64_t before = 0;  // readings taken when the new interval was typed
  const auto type = [&](std::string& edit, const char* text) {
    edit = text;
    if (edit == "0.002") before = run->ReadingsTaken();
    run->PanelChanged();
    const std::uint64_t from = run->ReadingsTaken();
    while (run->Active() && run->ReadingsTaken() < from + 50) EXPECT_NO_THROW(run->Update());
  };
  type(controls.lengthText, "");
  type(controls.lengthText, "1e4930");  // converts, but its limit overflows
  controls.chartResults = true;
  type(controls.intervalText, "");
  type(controls.intervalText, ",");
  type(controls.intervalText, "0.002");
  ASSERT_TRUE(run->Active());
  type(controls.lengthText, "0");  // ends the run at its next pass
  while (run->Active()) EXPECT_NO_THROW(run->Update());

  EXPECT_TRUE(chart.calls.empty());
  EXPECT_EQ(controls.buttonHistory, FullRunButtons());
  const auto taken = run->Timing().taken;
  std::vector<std::string> lines = HeaderLines("3/7/26", "23:59:59", "0.001", "1e6");
  const std::string all = ReadWholeFile(resultsPath);
  // The first reading with the new interval: the first data line whose time
  // column is not n * 0.001.
  std::uint64_t first = 0;
  for (std::size_t end = 0, line = 0; (end = all.find("\r\n", end)) != std::string::npos;
       end += 2, ++line) {
    if (line < lines.size() || first < line - lines.size()) continue;
    const std::string time = all.substr(all.rfind(' ', end) + 1, end - all.rfind(' ', end) - 1);
    if (time == FloatText(0.001L * static_cast<long double>(first))) ++first;
  }
  EXPECT_GE(first, before);
  EXPECT_LT(first, taken);
  for (std::uint64_t n = 0; n < taken; ++n) {
    const long double x = (n < first ? 0.001L : 0.002L) * static_cast<long double>(n);
    lines.push_back(DataLineOf(std::to_string(n), "36.621", "-54.932", FloatText(x)));
  }
  EXPECT_EQ(all, FileLines(lines));
}

// --- files the acquisition run wrote, read back --------------------------

struct RoundTripCase {
  const char* name;
  char separator;
  bool lowRange;
  bool raw;
  const char* interval;
};

class ResultsRoundTrip : public testing::RunFixture,
                         public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(ResultsRoundTrip, ReadsBackExactlyTheReadingsTheRunWrote) {
  const RoundTripCase& c = GetParam();
  testing::ScopedLocale locale(testing::Separators(c.separator, c.separator == ',' ? '.' : ','));
  controls.lowRange = c.lowRange;
  controls.rawCounts = c.raw;
  controls.intervalText = c.interval;
  controls.lengthText = "1";
  controls.chartResults = true;
  options.input1 = {platform::SimSignal::Kind::kSine, c.lowRange ? 700.0 : 7900.0, 3.0, 37.0};
  options.input2 = {platform::SimSignal::Kind::kTriangle, c.lowRange ? 650.0 : 7000.0, -5.0, 11.0};
  options.noiseCounts = 3;
  signalClock.step = 997;
  runClock.step = SamplePeriodFor(ParseFloat(c.interval)) + 1;
  PressStopAtRead(1500);
  ClickAndFollow(*MakeRun());
  ASSERT_GT(chart.points.size(), 2000u);

  const ResultsFile file = ReadResultsFile(resultsPath.string());
  EXPECT_EQ(file.failure, "");
  EXPECT_EQ(file.header.date, DateText(wallTimes[0]));
  EXPECT_EQ(file.header.time, TimeText(wallTimes[0]));
  EXPECT_EQ(file.header.interval, c.interval);
  EXPECT_EQ(file.header.length, "1");
  ASSERT_EQ(file.readings.size() * 2, chart.points.size());
  const char* pattern = c.lowRange ? "%2.3f" : "%2.2f";
  for (std::size_t i = 0; i < file.readings.size(); ++i) {
    const ResultsReading& r = file.readings[i];
    const auto& p1 = chart.points[2 * i];
    const auto& p2 = chart.points[2 * i + 1];
    ASSERT_EQ(r.number, i);
    ASSERT_EQ(r.input1, Nearest<float>(FormatText(pattern, p1.y))) << "line " << i + 12;
    ASSERT_EQ(r.input2, Nearest<float>(FormatText(pattern, p2.y))) << "line " << i + 12;
    if (c.raw) {
      ASSERT_EQ(r.input1, p1.y) << "counts are whole numbers, read back as they were";
      ASSERT_EQ(r.input2, p2.y);
    }
    ASSERT_EQ(r.time, Nearest<long double>(FloatText(p1.x))) << "line " << i + 12;
    ASSERT_EQ(FloatText(r.time), FloatText(p1.x));
  }
}

INSTANTIATE_TEST_SUITE_P(
    RunFiles, ResultsRoundTrip,
    ::testing::Values(RoundTripCase{"PointLowMillivolts", '.', true, false, "0.001"},
                      RoundTripCase{"CommaHighMillivolts", ',', false, false, "0,0003"},
                      RoundTripCase{"PointHighRaw", '.', false, true, "0.01"},
                      RoundTripCase{"CommaLowRaw", ',', true, true, "0,00007"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kolva::app
