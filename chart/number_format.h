// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

namespace kolva::chart {

// The engine shows values (axis labels, legend values, value texts) through
// one picture-pattern formatter, such as "#,##0.###". The engine knows
// nothing of the application's text conversions: whoever hosts a chart
// installs the formatter once at start (the chart window installs the
// application's FloatPatternText). Without one, formatting raises
// std::logic_error, so a missing installation is seen at once.
using PatternFormatter = std::function<std::string(const std::string& pattern, long double value)>;

void SetPatternFormatter(PatternFormatter formatter);
std::string FormatValue(const std::string& pattern, long double value);

}  // namespace kolva::chart
