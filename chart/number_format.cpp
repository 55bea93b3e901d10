// SPDX-License-Identifier: MIT
#include "chart/number_format.h"

#include <stdexcept>

namespace kolva::chart {

std::string FormatValue(const PatternFormatter& formatter, const std::string& pattern,
                        long double value) {
  if (!formatter) throw std::logic_error("no pattern formatter installed for the chart");
  return formatter(pattern, value);
}

}  // namespace kolva::chart
