// SPDX-License-Identifier: MIT
// One sampler for run after run, as the window keeps it: what a run leaves
// behind never reaches the next.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "acquisition_run_fixture.h"
#include "app/run/sampler.h"
#include "app/text/tests/textconv_locale_fake.h"

namespace kolva::app {
namespace {

using testing::kPeriod1ms;
using testing::ReadWholeFile;
using testing::RunFixture;
using testing::WaitUntil;

class SamplerRestartTest : public RunFixture {
 protected:
  void SetUp() override {
    RunFixture::SetUp();
    // 0.001 min of the fake clock's 1 ms per pass: a run of about 60
    // readings that ends by itself.
    controls.intervalText = "0.001";
    controls.lengthText = "0.001";
    runClock.step = kPeriod1ms;
  }

  // The readings the sampler holds, oldest first.
  std::vector<std::uint32_t> TakeNumbers(Sampler& sampler) {
    std::vector<std::uint32_t> numbers;
    sampler.TakeReadings([&](const RunReading& r) { numbers.push_back(r.number); });
    return numbers;
  }

  testing::ScopedLocale locale_{platform::LocaleSettings{}};
};

TEST_F(SamplerRestartTest, RunAfterAStoppedRunTakesItsReadings) {
  const Card& calibrated = MakeCard();
  Sampler sampler(*sim, runClock, keyboard, [this] { return NextWallTime(); });

  sampler.Start(calibrated, SettingsOf(controls));
  sampler.RequestStop();
  ASSERT_TRUE(WaitUntil([&] { return sampler.Ended(); }, "the end of the stopped run"));
  ASSERT_FALSE(sampler.Finish());
  TakeNumbers(sampler);

  // The stop asked of the first run is not asked of the second.
  sampler.Start(calibrated, SettingsOf(controls));
  ASSERT_TRUE(WaitUntil([&] { return sampler.Ended(); }, "the end of the second run"));
  ASSERT_FALSE(sampler.Finish());
  EXPECT_EQ(sampler.Stage(), RunStage::kRunning);
  const std::uint64_t taken = sampler.Timing().taken;
  EXPECT_GT(taken, 50u) << "the second run ended before its length: a stop left from the first?";
  const std::vector<std::uint32_t> numbers = TakeNumbers(sampler);
  ASSERT_EQ(numbers.size(), taken);
  for (std::uint32_t n = 0; n < numbers.size(); ++n) ASSERT_EQ(numbers[n], n);
  // Its own file: the header and one line per reading.
  const std::string text = ReadWholeFile(resultsPath);
  std::size_t lines = 0;
  for (char c : text) lines += c == '\n';
  EXPECT_EQ(lines, 11 + taken);
}

}  // namespace
}  // namespace kolva::app
