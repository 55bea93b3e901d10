// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kolva::app {

// The text forms of numbers, dates and times. Every conversion uses the
// process's current locale settings (platform::CurrentLocale()) for the
// decimal and thousands separators, the date and time pictures and names.
// Texts are 8-bit strings. Decimal output is exact: a value is first taken to
// 18 significant decimal digits (nearest, ties to even), and the rounding a
// format asks for is then made on those digits with ties away from zero.
// Infinities and NaN are written "INF", "-INF" and "NAN" by every format.

// Decimal digits with "-" for negatives; no padding, no separators.
std::string IntText(std::int64_t value);

// Upper-case hexadecimal digits, left-padded with "0" to at least `minDigits`
// digits, without a prefix. A negative value is written as its 64-bit two's
// complement.
std::string HexText(std::uint64_t value, int minDigits);

// Fixed notation through a pattern "%w.pf" (width w and precision p both
// optional; the precision defaults to 2; "%-w.pf" pads on the right). Text
// around the field is copied and "%%" is a single "%". A magnitude of 10^18
// or more is written in the general format. A negative value that rounds to
// zero is written without "-". A malformed pattern is a program fault and
// raises std::invalid_argument.
std::string FormatText(std::string_view pattern, long double value);

// The general format with 15 significant digits: plain notation for decimal
// exponents -3..15 of 0.d1d2... x 10^e, otherwise d1.d2...E<e-1>.
std::string FloatText(long double value);

// Picture formats such as "#,##0.###" or "0.00E+00;(0.00);\"zero\"".
// Raises ConvertError "Format string too long" for patterns of 225 or more
// characters; an empty pattern gives the general format.
std::string FloatPatternText(std::string_view pattern, long double value);

// A calendar date and a time of day, as the program's clock reports them.
struct DateTime {
  int year = 1899;
  int month = 12;  // 1..12
  int day = 30;    // 1..31
  int hour = 0;    // 0..23
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// The date in the locale's short date picture and the time in its long time
// picture.
std::string DateText(const DateTime& t);
std::string TimeText(const DateTime& t);

// Expands a date-time picture (d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn
// s ss "AMPM", "/" and ":" for the locale's separators, quoted text copied).
std::string DateTimePictureText(std::string_view picture, const DateTime& t);

// Signed 32-bit integers: leading blanks, then an optionally signed decimal
// number or a hexadecimal one introduced by "$", "x", "X", "0x" or "0X".
// Raises ConvertError "'<text>' is not a valid integer value".
std::int32_t ParseInt(std::string_view text);

// Extended floats with the locale's decimal separator, an optional exponent,
// and blanks around. Raises ConvertError "'<text>' is not a valid floating
// point value", also when the value overflows.
long double ParseFloat(std::string_view text);

}  // namespace kolva::app
