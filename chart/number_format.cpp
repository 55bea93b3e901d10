// SPDX-License-Identifier: MIT
#include "chart/number_format.h"

#include <stdexcept>
#include <utility>

namespace kolva::chart {
namespace {

PatternFormatter& Installed() {
  static PatternFormatter formatter;
  return formatter;
}

}  // namespace

void SetPatternFormatter(PatternFormatter formatter) {
  Installed() = std::move(formatter);
}

std::string FormatValue(const std::string& pattern, long double value) {
  const PatternFormatter& formatter = Installed();
  if (!formatter) throw std::logic_error("no pattern formatter installed for the chart");
  return formatter(pattern, value);
}

}  // namespace kolva::chart
