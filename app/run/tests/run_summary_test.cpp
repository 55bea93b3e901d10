// SPDX-License-Identifier: MIT
#include "app/run/run_summary.h"

#include <gtest/gtest.h>

#include "platform/locale_settings.h"

namespace kolva::app {
namespace {

struct SummaryCase {
  RunTiming timing;
  const char* line;
  bool late;
};

class RunSummaryTest : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(RunSummaryTest, LineAndLateness) {
  platform::SetCurrentLocale(platform::LocaleSettings{});
  const SummaryCase& c = GetParam();
  EXPECT_EQ(RunSummaryLine(c.timing), c.line);
  EXPECT_EQ(HadLateReadings(c.timing), c.late);
}

// 357954 ticks are 300 ms of the 1193180-per-second counter; one tick is
// 0.000838 ms.
INSTANTIATE_TEST_SUITE_P(
    Timings, RunSummaryTest,
    ::testing::Values(
        SummaryCase{{0, 0, 0, 0, 0},
                    "0 readings taken, 0 due, 0 late by more than one period, worst lateness "
                    "0.000 ms",
                    false},
        SummaryCase{{60000, 60000, 0, 1, 1193},
                    "60000 readings taken, 60000 due, 0 late by more than one period, worst "
                    "lateness 0.001 ms",
                    false},
        SummaryCase{{1200, 1201, 3, 357954, 1193},
                    "1200 readings taken, 1201 due, 3 late by more than one period, worst "
                    "lateness 300.000 ms",
                    true}));

TEST(RunSummaryLocaleTest, LatenessInTheLocalesDecimalForm) {
  platform::LocaleSettings comma;
  comma.decimalSeparator = ',';
  platform::SetCurrentLocale(comma);
  EXPECT_EQ(RunSummaryLine({5, 5, 1, 1790, 1193}),
            "5 readings taken, 5 due, 1 late by more than one period, worst lateness 1,500 ms");
  platform::SetCurrentLocale(platform::LocaleSettings{});
}

}  // namespace
}  // namespace kolva::app
