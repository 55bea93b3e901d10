// SPDX-License-Identifier: MIT
// IntText, HexText, FormatText and FloatText.
#include <charconv>
#include <cmath>
#include <stdexcept>

#include "app/text/textconv.h"
#include "app/text/textconv_digits.h"
#include "platform/locale_settings.h"

namespace kolva::app {
namespace {

using textconv::DecimalDigits;
using textconv::DigitAt;

constexpr long double kFixedLimit = 1e18L;  // from here on fixed notation gives way
constexpr int kMaxFieldNumber = 999;        // largest width or precision accepted

// One "%w.pf" field of a FormatText pattern.
struct FixedField {
  bool leftAligned = false;
  int width = 0;
  int precision = 2;
};

[[noreturn]] void BadPattern(std::string_view pattern) {
  throw std::invalid_argument("bad fixed-notation pattern \"" + std::string(pattern) + "\"");
}

int ReadNumber(std::string_view pattern, std::size_t& i) {
  int n = 0;
  while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9') {
    n = n * 10 + (pattern[i++] - '0');
    if (n > kMaxFieldNumber) BadPattern(pattern);
  }
  return n;
}

// Reads the field that starts after a "%" at i - 1; leaves i after its "f".
FixedField ReadField(std::string_view pattern, std::size_t& i) {
  FixedField field;
  if (i < pattern.size() && pattern[i] == '-') {
    field.leftAligned = true;
    ++i;
  }
  field.width = ReadNumber(pattern, i);
  if (i < pattern.size() && pattern[i] == '.') {
    ++i;
    field.precision = ReadNumber(pattern, i);
  }
  if (i >= pattern.size() || (pattern[i] != 'f' && pattern[i] != 'F')) BadPattern(pattern);
  ++i;
  return field;
}

std::string FixedText(long double value, int precision, char separator) {
  DecimalDigits d = textconv::ToDecimal18(value);
  textconv::RoundAt(d, d.exponent + precision);
  std::string text;
  if (d.negative && d.count > 0) text += '-';
  if (d.count == 0 || d.exponent <= 0) text += '0';
  for (int i = 0; i < d.exponent && d.count > 0; ++i) text += DigitAt(d, i);
  if (precision > 0) {
    text += separator;
    for (int k = 0; k < precision; ++k) text += DigitAt(d, d.exponent + k);
  }
  return text;
}

void AppendExponent(std::string& text, int exponent) {
  if (exponent < 0) text += '-';
  char buf[8];
  const auto result = std::to_chars(buf, buf + sizeof buf, exponent < 0 ? -exponent : exponent);
  text.append(buf, result.ptr);
}

}  // namespace

std::string IntText(std::int64_t value) {
  char buf[24];
  const auto result = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, result.ptr);
}

std::string HexText(std::uint64_t value, int minDigits) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  char buf[16];
  int n = 0;
  do {
    buf[n++] = kDigits[value & 0xF];
    value >>= 4;
  } while (value != 0);
  std::string text;
  if (minDigits > n) text.assign(static_cast<std::size_t>(minDigits - n), '0');
  while (n > 0) text += buf[--n];
  return text;
}

std::string FormatText(std::string_view pattern, long double value) {
  std::string out;
  bool formatted = false;
  for (std::size_t i = 0; i < pattern.size();) {
    if (pattern[i] != '%') {
      out += pattern[i++];
      continue;
    }
    if (i + 1 < pattern.size() && pattern[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    if (formatted) BadPattern(pattern);
    ++i;
    const FixedField field = ReadField(pattern, i);
    const bool general = !std::isfinite(value) || std::fabs(value) >= kFixedLimit;
    std::string text =
        general ? FloatText(value)
                : FixedText(value, field.precision, platform::CurrentLocale().decimalSeparator);
    if (static_cast<int>(text.size()) < field.width) {
      const std::string blanks(static_cast<std::size_t>(field.width) - text.size(), ' ');
      text = field.leftAligned ? text + blanks : blanks + text;
    }
    out += text;
    formatted = true;
  }
  if (!formatted) BadPattern(pattern);
  return out;
}

std::string FloatText(long double value) {
  if (const char* special = textconv::NonFiniteText(value)) return special;
  DecimalDigits d = textconv::ToDecimal18(value);
  textconv::RoundAt(d, 15);
  textconv::StripTrailingZeros(d);
  if (d.count == 0) return "0";
  const char separator = platform::CurrentLocale().decimalSeparator;
  const int e = d.exponent;
  std::string text;
  if (d.negative) text += '-';
  if (e >= -3 && e <= 15) {
    if (e <= 0) {
      text += '0';
      text += separator;
      text.append(static_cast<std::size_t>(-e), '0');
      text.append(d.digits, static_cast<std::size_t>(d.count));
      return text;
    }
    for (int i = 0; i < e; ++i) text += DigitAt(d, i);
    if (d.count > e) {
      text += separator;
      text.append(d.digits + e, static_cast<std::size_t>(d.count - e));
    }
    return text;
  }
  text += d.digits[0];
  if (d.count > 1) {
    text += separator;
    text.append(d.digits + 1, static_cast<std::size_t>(d.count - 1));
  }
  text += 'E';
  AppendExponent(text, e - 1);
  return text;
}

}  // namespace kolva::app
