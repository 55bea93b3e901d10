// SPDX-License-Identifier: MIT
// ParseInt and ParseFloat.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include <locale.h>
#include <stdlib.h>

#include "app/text/errors.h"
#include "app/text/textconv.h"
#include "app/text/textconv_digits.h"
#include "platform/locale_settings.h"

namespace kolva::app {
namespace {

constexpr std::uint64_t kInt32Limit = std::uint64_t{1} << 31;  // |INT32_MIN|
constexpr int kMaxFastDigits = 19;  // digits that fit a 64-bit integer exactly
constexpr int kMaxFastPower = textconv::kMaxExactPowerOfTen;
// Decimal exponents (of 0.d1d2... x 10^e) outside these bounds are beyond the
// extended range: from 10^4933 on every value overflows, and below 10^-4951
// every value is under half the smallest subnormal (about 3.6e-4951).
constexpr std::int64_t kOverflowExponent = 4933;
constexpr std::int64_t kZeroExponent = -4951;
// A written exponent is saturated here; any text long enough to move a
// value back into range from there would not fit in memory.
constexpr std::int64_t kExponentClamp = 1'000'000'000'000'000;
// Significant digits handed to the library conversion. A value halfway
// between two neighbouring extended values has fewer than 11,600 of them, so
// the first 12,000 digits and one nonzero digit standing for all the dropped
// ones round exactly as the whole text does.
constexpr std::size_t kKeptDigits = 12000;

[[noreturn]] void NotInteger(std::string_view text) {
  throw NotIntegerError(text);
}

[[noreturn]] void NotFloat(std::string_view text) {
  throw NotFloatError(text);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A decimal number as read: value = 0.d1d2...dn x 10^exponent, where the
// digits are the significant ones (no leading or trailing zeros), taken from
// the whole and fraction runs as written.
struct DecimalText {
  std::string_view whole, fraction;
  std::size_t first = 0;  // index of d1 in whole + fraction
  std::size_t count = 0;  // n; 0 for a zero value
  std::int64_t exponent = 0;

  char Digit(std::size_t i) const {  // d(i+1)
    const std::size_t at = first + i;
    return at < whole.size() ? whole[at] : fraction[at - whole.size()];
  }
};

// Finds the significant digits of the runs read and the value's exponent,
// given the exponent written after "E".
void Normalize(DecimalText& d, std::int64_t written) {
  const std::size_t total = d.whole.size() + d.fraction.size();
  std::size_t first = 0;  // d.first is 0 here, so Digit(i) reads position i
  while (first < total && d.Digit(first) == '0') ++first;
  if (first == total) return;
  std::size_t last = total - 1;
  while (d.Digit(last) == '0') --last;
  d.first = first;
  d.count = last - first + 1;
  d.exponent =
      static_cast<std::int64_t>(d.whole.size()) - static_cast<std::int64_t>(first) + written;
}

// The exact value when it is one correctly rounded operation away: an
// integer of at most 19 digits (exact in extended) times or over an exact
// power of ten.
bool FastValue(const DecimalText& d, long double& value) {
  if (d.count > kMaxFastDigits) return false;
  const std::int64_t power = d.exponent - static_cast<std::int64_t>(d.count);
  if (power < -kMaxFastPower || power > kMaxFastPower) return false;
  std::uint64_t mantissa = 0;
  for (std::size_t i = 0; i < d.count; ++i) mantissa = mantissa * 10 + (d.Digit(i) - '0');
  const auto m = static_cast<long double>(mantissa);
  value = power >= 0 ? m * textconv::kPowersOfTen[power] : m / textconv::kPowersOfTen[-power];
  return true;
}

// Everything else in range goes through the locale-free library conversion
// of "0.<digits>e<exponent>"; false on overflow. The library refuses values
// below the smallest normal extended, so those are read by the C library's
// conversion under the fixed "C" locale, which gives the nearest subnormal.
bool SlowValue(const DecimalText& d, long double& value) {
  if (d.exponent > kOverflowExponent) return false;
  if (d.exponent < kZeroExponent) {
    value = 0;
    return true;
  }
  std::string canonical = "0.";
  const std::size_t kept = std::min(d.count, kKeptDigits);
  for (std::size_t i = 0; i < kept; ++i) canonical += d.Digit(i);
  if (kept < d.count) canonical += '1';  // stands for the nonzero digits dropped
  canonical += 'e';
  canonical += std::to_string(d.exponent);
  const auto result = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value,
                                      std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    if (d.exponent > 0) return false;
    static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
    value = ::strtold_l(canonical.c_str(), nullptr, cLocale);
  }
  return std::isfinite(value);
}

// Reads a run of digits at i.
std::string_view ReadDigits(std::string_view text, std::size_t& i) {
  const std::size_t start = i;
  while (i < text.size() && IsDigit(text[i])) ++i;
  return text.substr(start, i - start);
}

// Reads the exponent after "E": an optional sign and at least one digit.
bool ReadExponent(std::string_view text, std::size_t& i, std::int64_t& written) {
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || !IsDigit(text[i])) return false;
  std::int64_t e = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i)
    e = std::min(e * 10 + (text[i] - '0'), kExponentClamp);
  written = negative ? -e : e;
  return true;
}

}  // namespace

std::int32_t ParseInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == 'x' || text[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  } else if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t firstDigit = i;
  std::uint64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0 || digit >= base) NotInteger(text);
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
    if (value > kInt32Limit) NotInteger(text);
  }
  if (i == firstDigit) NotInteger(text);
  if (!negative && value == kInt32Limit) NotInteger(text);
  return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(value))
                  : static_cast<std::int32_t>(value);
}

long double ParseFloat(std::string_view text) {
  const char separator = platform::CurrentLocale().decimalSeparator;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && text[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  DecimalText d;
  d.whole = ReadDigits(text, i);
  bool point = false;
  if (i < n && text[i] == separator) {
    point = true;
    ++i;
    d.fraction = ReadDigits(text, i);
  }
  if (d.whole.empty() && d.fraction.empty() && !point) NotFloat(text);
  std::int64_t written = 0;
  if (i < n && (text[i] == 'E' || text[i] == 'e') && !ReadExponent(text, ++i, written))
    NotFloat(text);
  while (i < n && text[i] == ' ') ++i;
  if (i != n) NotFloat(text);
  Normalize(d, written);
  long double value = 0;
  if (d.count > 0 && !FastValue(d, value) && !SlowValue(d, value)) NotFloat(text);
  return negative ? -value : value;
}

}  // namespace kolva::app
