// SPDX-License-Identifier: MIT
#include "app/text/checked_math.h"

#include <cfloat>
#include <cmath>

#include "app/text/errors.h"

namespace kolva::app {

std::int64_t TruncToInt64(long double value) {
  // 2^63 is exact in extended; the valid range is [-2^63, 2^63) after truncation.
  constexpr long double kLimit = 9223372036854775808.0L;
  if (std::isnan(value)) throw MathError(MathError::Kind::kInvalidOperation);
  const long double t = std::trunc(value);
  if (!(t >= -kLimit && t < kLimit)) throw MathError(MathError::Kind::kInvalidOperation);
  return static_cast<std::int64_t>(t);
}

float StoreSingle(long double value) {
  if (std::isnan(value)) throw MathError(MathError::Kind::kInvalidOperation);
  const float stored = static_cast<float>(value);
  if (std::isinf(stored) && !std::isinf(value)) throw MathError(MathError::Kind::kOverflow);
  return stored;
}

long double Divide(long double dividend, long double divisor) {
  if (divisor == 0.0L) {
    if (dividend == 0.0L || std::isnan(dividend)) {
      throw MathError(MathError::Kind::kInvalidOperation);
    }
    throw MathError(MathError::Kind::kDivisionByZero);
  }
  return dividend / divisor;
}

}  // namespace kolva::app
