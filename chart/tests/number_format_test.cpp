// SPDX-License-Identifier: MIT
#include "chart/number_format.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kolva::chart {
namespace {

TEST(NumberFormatTest, UsesTheInstalledFormatterAndFailsWithoutOne) {
  SetPatternFormatter(nullptr);
  EXPECT_THROW(FormatValue("0", 1.0L), std::logic_error);
  SetPatternFormatter([](const std::string& pattern, long double value) {
    return pattern + "|" + std::to_string(static_cast<int>(value));
  });
  EXPECT_EQ(FormatValue("#,##0.###", 42.0L), "#,##0.###|42");
  SetPatternFormatter(nullptr);
}

}  // namespace
}  // namespace kolva::chart
