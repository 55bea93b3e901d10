// SPDX-License-Identifier: MIT
#pragma once

#include <array>

namespace kolva::app::textconv {

// 10^0 ... 10^27: each is exact in extended (10^27 = 5^27 x 2^27), so one
// multiplication or division by it rounds once.
inline constexpr int kMaxExactPowerOfTen = 27;
inline constexpr auto kPowersOfTen = [] {
  std::array<long double, kMaxExactPowerOfTen + 1> powers{};
  long double p = 1;
  for (auto& power : powers) {
    power = p;
    p *= 10;
  }
  return powers;
}();

// The decimal digits of a finite value: |value| = 0.d1 d2 ... dn x 10^exponent
// with d1 != 0, digits held as the characters '0'..'9'. Zero has count 0.
struct DecimalDigits {
  static constexpr int kCapacity = 20;
  char digits[kCapacity];
  int count = 0;
  int exponent = 0;
  bool negative = false;
};

// The exact binary value taken to 18 significant digits, rounding to nearest
// with ties to even. The value must be finite.
DecimalDigits ToDecimal18(long double value);

// Keeps the first `keep` significant digits (any count, also zero or less),
// rounding the dropped ones with ties away from zero. A carry out of the first
// digit raises the exponent; a value rounded away entirely has count 0.
void RoundAt(DecimalDigits& d, int keep);

// Drops trailing zero digits.
void StripTrailingZeros(DecimalDigits& d);

// The significant digit of weight 10^(exponent - 1 - index); '0' outside the
// digits held.
inline char DigitAt(const DecimalDigits& d, int index) {
  return index >= 0 && index < d.count ? d.digits[index] : '0';
}

// "NAN", "INF" or "-INF" for a value that is not finite, else nullptr.
const char* NonFiniteText(long double value);

}  // namespace kolva::app::textconv
