// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace kolva::chart {

// a * b / c computed without overflow and rounded to the nearest integer,
// halves away from zero. A zero divisor answers -1, as the window system does.
constexpr int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  std::int64_t n = static_cast<std::int64_t>(a) * b;
  std::int64_t d = c;
  bool negative = (n < 0) != (d < 0);
  if (n < 0) n = -n;
  if (d < 0) d = -d;
  std::int64_t q = (2 * n + d) / (2 * d);
  return static_cast<int>(negative ? -q : q);
}

}  // namespace kolva::chart
