// SPDX-License-Identifier: MIT
// FormatText and FloatText against a slow reference built independently here:
// the exact decimal expansion of the binary value by schoolbook arithmetic on
// digit strings, then the rounding rules applied to that digit string.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/text/textconv.h"
#include "textconv_locale_fake.h"

namespace kolva::app {
namespace {

// |value| = 0.digits x 10^exponent, digits without leading zeros; "" is zero.
struct Decimal {
  std::string digits;
  int exponent = 0;
  bool negative = false;
};

void MultiplyBy(std::string& n, int factor) {
  int carry = 0;
  for (auto it = n.rbegin(); it != n.rend(); ++it) {
    const int product = (*it - '0') * factor + carry;
    *it = static_cast<char>('0' + product % 10);
    carry = product / 10;
  }
  while (carry > 0) {
    n.insert(n.begin(), static_cast<char>('0' + carry % 10));
    carry /= 10;
  }
}

// value = m x 2^p: as m x 2^p for p >= 0, and as m x 5^-p / 10^-p below.
Decimal Expand(long double value) {
  Decimal d;
  d.negative = std::signbit(value);
  int e2 = 0;
  const long double fraction = std::frexp(std::fabs(value), &e2);
  auto m = static_cast<std::uint64_t>(std::ldexp(fraction, 64));
  if (m == 0) return d;
  std::string n;
  for (; m != 0; m /= 10) n.insert(n.begin(), static_cast<char>('0' + m % 10));
  int p = e2 - 64;
  int scale = 0;
  for (; p > 0; --p) MultiplyBy(n, 2);
  for (; p < 0; ++p, ++scale) MultiplyBy(n, 5);
  d.exponent = static_cast<int>(n.size()) - scale;
  while (!n.empty() && n.back() == '0') n.pop_back();
  d.digits = n;
  return d;
}

// Adds one unit at the last digit kept.
void CarryUp(Decimal& d) {
  int i = static_cast<int>(d.digits.size()) - 1;
  while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
  if (i < 0) {
    d.digits.insert(d.digits.begin(), '1');
    ++d.exponent;
  } else {
    ++d.digits[i];
  }
}

// Keeps `keep` digits (any count); ties go to even or away from zero.
Decimal RoundTo(Decimal d, int keep, bool tiesToEven) {
  if (keep >= static_cast<int>(d.digits.size())) return d;
  if (keep < 0) return Decimal{"", 0, d.negative};
  const std::string dropped = d.digits.substr(keep);
  d.digits.resize(keep);
  const bool above = dropped[0] > '5' ||
                     (dropped[0] == '5' && dropped.find_first_not_of('0', 1) != std::string::npos);
  const bool tie = dropped[0] == '5' && !above;
  const bool lastOdd = keep > 0 && (d.digits.back() - '0') % 2 == 1;
  if (above || (tie && (!tiesToEven || lastOdd))) {
    if (d.digits.empty()) {
      d.digits = "1";
      ++d.exponent;
    } else {
      CarryUp(d);
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

char DigitOf(const Decimal& d, int index) {
  return index >= 0 && index < static_cast<int>(d.digits.size()) ? d.digits[index] : '0';
}

std::string ReferenceFixed(long double value, int precision) {
  const Decimal exact = RoundTo(Expand(value), 18, true);
  const Decimal d = RoundTo(exact, exact.exponent + precision, false);
  std::string text = d.negative && !d.digits.empty() ? "-" : "";
  if (d.digits.empty() || d.exponent <= 0) text += '0';
  for (int i = 0; i < d.exponent && !d.digits.empty(); ++i) text += DigitOf(d, i);
  if (precision > 0) text += '.';
  for (int k = 0; k < precision; ++k) text += DigitOf(d, d.exponent + k);
  return text;
}

std::string ReferenceGeneral(long double value) {
  const Decimal d = RoundTo(RoundTo(Expand(value), 18, true), 15, false);
  if (d.digits.empty()) return "0";
  const int e = d.exponent;
  const int count = static_cast<int>(d.digits.size());
  std::string text = d.negative ? "-" : "";
  if (e >= -3 && e <= 0) return text + "0." + std::string(-e, '0') + d.digits;
  if (e > 0 && e <= 15) {
    for (int i = 0; i < e; ++i) text += DigitOf(d, i);
    return count > e ? text + "." + d.digits.substr(e) : text;
  }
  text += d.digits.substr(0, 1);
  if (count > 1) text += "." + d.digits.substr(1);
  return text + "E" + std::to_string(e - 1);
}

void ExpectBothFormatsMatch(long double value) {
  ASSERT_EQ(FloatText(value), ReferenceGeneral(value)) << static_cast<double>(value);
  if (std::fabs(value) >= 1e18L) return;
  ASSERT_EQ(FormatText("%2.3f", value), ReferenceFixed(value, 3)) << static_cast<double>(value);
  ASSERT_EQ(FormatText("%2.2f", value), ReferenceFixed(value, 2)) << static_cast<double>(value);
  ASSERT_EQ(FormatText("%1.0f", value), ReferenceFixed(value, 0)) << static_cast<double>(value);
  ASSERT_EQ(FormatText("%1.7f", value), ReferenceFixed(value, 7)) << static_cast<double>(value);
}

class ExactDecimalTest : public ::testing::Test {
 protected:
  testing::ScopedLocale locale_{testing::Separators('.', ',')};
  std::mt19937_64 random_{20261208};
};

TEST_F(ExactDecimalTest, ReferenceItselfKnowsSmallExpansions) {
  const Decimal eighth = Expand(0.125L);
  EXPECT_EQ(eighth.digits, "125");
  EXPECT_EQ(eighth.exponent, 0);
  const Decimal big = Expand(-1536.0L);
  EXPECT_EQ(big.digits, "1536");
  EXPECT_EQ(big.exponent, 4);
  EXPECT_TRUE(big.negative);
  EXPECT_EQ(ReferenceFixed(0.0625L, 3), "0.063");
}

TEST_F(ExactDecimalTest, RandomSingleValuesWidenedExactly) {
  std::uniform_int_distribution<std::uint32_t> bits;
  for (int i = 0; i < 4000; ++i) {
    const std::uint32_t pattern = bits(random_);
    float f = 0;
    static_assert(sizeof f == sizeof pattern);
    std::memcpy(&f, &pattern, sizeof f);
    if (!std::isfinite(f)) continue;
    ExpectBothFormatsMatch(static_cast<long double>(f));
  }
}

TEST_F(ExactDecimalTest, RandomExtendedValuesOverAWideRange) {
  std::uniform_int_distribution<std::uint64_t> mantissas;
  std::uniform_int_distribution<int> exponents(-200, 200);
  for (int i = 0; i < 4000; ++i) {
    const std::uint64_t m = mantissas(random_) | (std::uint64_t{1} << 63);
    long double value = std::ldexp(static_cast<long double>(m), exponents(random_) - 63);
    if (i % 2 == 1) value = -value;
    ExpectBothFormatsMatch(value);
  }
}

TEST_F(ExactDecimalTest, ExactDecimalTiesAndNineteenDigitIntegers) {
  std::uniform_int_distribution<std::int64_t> small(-2000000, 2000000);
  std::uniform_int_distribution<int> shifts(1, 12);
  for (int i = 0; i < 3000; ++i)  // n / 2^k: many exact ties at 2, 3 and 7 decimals
    ExpectBothFormatsMatch(std::ldexp(static_cast<long double>(small(random_)), -shifts(random_)));
  std::uniform_int_distribution<std::int64_t> large(100000000000000000LL, 999999999999999999LL);
  for (int i = 0; i < 1000; ++i)  // halves beyond the 18th digit: ties to even there
    ExpectBothFormatsMatch(static_cast<long double>(large(random_)) + 0.5L);
}

TEST_F(ExactDecimalTest, ReadingsAndSampleTimesAsTheProgramMakesThem) {
  for (int counts = -2048; counts < 2048; counts += 3) {
    const float low = static_cast<float>(counts * 0.36621094L);  // mV per count, single store
    const float high = static_cast<float>(counts * 3.90625L);
    ExpectBothFormatsMatch(low);
    ExpectBothFormatsMatch(high);
  }
  const long double interval = 0.05L;
  for (int n = 0; n < 3000; ++n) ExpectBothFormatsMatch(interval * n);
}

TEST_F(ExactDecimalTest, ExtremeExponentsThroughTheGeneralFormat) {
  std::uniform_int_distribution<std::uint64_t> mantissas;
  for (int exponent : {-16445, -16400, -9000, -1200, -130, 128, 129, 700, 5000, 16320}) {
    for (int i = 0; i < 3; ++i) {
      const std::uint64_t m = mantissas(random_) | (std::uint64_t{1} << 63);
      const long double value = std::ldexp(static_cast<long double>(m), exponent - 63);
      if (value == 0 || !std::isfinite(value)) continue;
      ASSERT_EQ(FloatText(value), ReferenceGeneral(value)) << exponent;
    }
  }
}

}  // namespace
}  // namespace kolva::app
