// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace kolva::app {

// The few places where the program's extended arithmetic can fault, checked
// the way the floating-point unit checks them. Each raises MathError.

// Truncates toward zero into a signed 64-bit integer. A NaN, an infinity or a
// value outside the 64-bit range is "Invalid floating point operation".
std::int64_t TruncToInt64(long double value);

// Rounds an extended value to single precision once, as a store does. A
// finite value too large for single is "Floating point overflow"; a NaN is
// "Invalid floating point operation". Tiny values round to zero or a
// subnormal silently, as the unit does with underflow masked.
float StoreSingle(long double value);

// Extended division; a zero divisor with a non-zero dividend is "Floating
// point division by zero", 0/0 is "Invalid floating point operation".
long double Divide(long double dividend, long double divisor);

}  // namespace kolva::app
