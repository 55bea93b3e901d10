// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

namespace kolva::chart {

// The engine shows values (axis labels, legend values, value texts) through
// a picture-pattern formatter, such as "#,##0.###". The engine knows nothing
// of the application's text conversions: each chart holds its own formatter,
// given by whoever hosts it (the chart window gives the application's
// FloatPatternText); its axes, series and legend reach it through the chart.
using PatternFormatter = std::function<std::string(const std::string& pattern, long double value)>;

// `formatter`'s text of `value` in `pattern`. Without a formatter it raises
// std::logic_error, so a chart whose host never gave it one is seen at once.
std::string FormatValue(const PatternFormatter& formatter, const std::string& pattern,
                        long double value);

}  // namespace kolva::chart
