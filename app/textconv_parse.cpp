// SPDX-License-Identifier: MIT
// ParseInt and ParseFloat.
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "app/errors.h"
#include "app/textconv.h"
#include "platform/locale_settings.h"

namespace kolva::app {
namespace {

constexpr std::uint64_t kInt32Limit = std::uint64_t{1} << 31;  // |INT32_MIN|
constexpr int kMaxFastDigits = 19;      // digits that fit a 64-bit integer exactly
constexpr int kMaxFastPower = 27;       // 10^27 = 5^27 x 2^27 is exact in extended
constexpr int kExponentClamp = 100000;  // far beyond the extended range either way

[[noreturn]] void NotInteger(std::string_view text) {
  throw ConvertError("'" + std::string(text) + "' is not a valid integer value");
}

[[noreturn]] void NotFloat(std::string_view text) {
  throw ConvertError("'" + std::string(text) + "' is not a valid floating point value");
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

constexpr auto kPowersOfTen = [] {
  std::array<long double, kMaxFastPower + 1> powers{};
  long double p = 1;
  for (auto& power : powers) {
    power = p;
    p *= 10;
  }
  return powers;
}();

// The pieces of a decimal number as read: its significant digits (leading
// zeros dropped), where they came from, and the decimal exponent of the last.
struct DecimalText {
  std::uint64_t mantissa = 0;
  int digitCount = 0;  // significant digits, also those beyond the mantissa
  int exponent = 0;    // value = the mantissa's digits x 10^exponent
  int written = 0;     // the exponent given after "E"
  std::string_view whole, fraction;
};

// The exact value when it is one correctly rounded operation away: an
// integer of at most 19 digits (exact in extended) times or over an exact
// power of ten.
bool FastValue(const DecimalText& d, long double& value) {
  if (d.digitCount > kMaxFastDigits || d.exponent < -kMaxFastPower || d.exponent > kMaxFastPower)
    return false;
  const auto m = static_cast<long double>(d.mantissa);
  value = d.exponent >= 0 ? m * kPowersOfTen[d.exponent] : m / kPowersOfTen[-d.exponent];
  return true;
}

// Everything else goes through the locale-free library conversion; false on
// overflow.
bool SlowValue(const DecimalText& d, long double& value) {
  std::string canonical(d.whole);
  canonical += '.';
  canonical += d.fraction;
  canonical += 'e';
  canonical += std::to_string(d.written);
  const auto result = std::from_chars(canonical.data(), canonical.data() + canonical.size(), value,
                                      std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    if (std::min(d.digitCount, kMaxFastDigits) + d.exponent > 0) return false;
    value = 0;  // below the smallest extended value
  }
  return std::isfinite(value);
}

// Reads a run of digits at i into d: leading zeros only move the point, the
// first 19 significant digits form the mantissa. Returns the run.
std::string_view ReadDigits(std::string_view text, std::size_t& i, bool afterPoint,
                            DecimalText& d) {
  const std::size_t start = i;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    if (afterPoint) --d.exponent;
    if (d.digitCount == 0 && text[i] == '0') continue;
    if (d.digitCount < kMaxFastDigits) d.mantissa = d.mantissa * 10 + (text[i] - '0');
    ++d.digitCount;
  }
  return text.substr(start, i - start);
}

// Reads the exponent after "E": an optional sign and at least one digit.
bool ReadExponent(std::string_view text, std::size_t& i, DecimalText& d) {
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || !IsDigit(text[i])) return false;
  int e = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i)
    e = std::min(e * 10 + (text[i] - '0'), kExponentClamp);
  d.written = negative ? -e : e;
  d.exponent += d.written;
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
  d.whole = ReadDigits(text, i, false, d);
  bool point = false;
  if (i < n && text[i] == separator) {
    point = true;
    ++i;
    d.fraction = ReadDigits(text, i, true, d);
  }
  if (d.whole.empty() && d.fraction.empty() && !point) NotFloat(text);
  if (d.digitCount > kMaxFastDigits) d.exponent += d.digitCount - kMaxFastDigits;
  if (i < n && (text[i] == 'E' || text[i] == 'e') && !ReadExponent(text, ++i, d)) NotFloat(text);
  while (i < n && text[i] == ' ') ++i;
  if (i != n) NotFloat(text);
  long double value = 0;
  if (d.digitCount > 0 && !FastValue(d, value) && !SlowValue(d, value)) NotFloat(text);
  return negative ? -value : value;
}

}  // namespace kolva::app
