// SPDX-License-Identifier: MIT
// The text conversions over arbitrary text: the first byte picks the
// conversion and the locale's decimal separator, the rest is the text (or a
// pattern and, from its bytes, a value; or results-file lines).
#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/files/results_lines.h"
#include "app/text/errors.h"
#include "app/text/textconv.h"
#include "platform/locale_settings.h"

namespace {

using kolva::app::ConvertError;

// A double from up to eight bytes, widened exactly: every finite, infinite
// and NaN value can come up.
long double ValueFrom(std::string_view bytes) {
  double value = 0;
  std::memcpy(&value, bytes.data(), std::min(bytes.size(), sizeof value));
  return value;
}

// A text ParseFloat takes with "." as separator is one the C library reads
// to the same value under the "C" locale: any number of digits, exactly.
// The program also takes a separator with no digit around it ("-.", ".e5")
// as a zero, which the C library does not read at all: those are left out.
void CheckAgainstCLibrary(std::string_view text, long double value) {
  if (kolva::platform::CurrentLocale().decimalSeparator != '.') return;
  const std::string_view mantissa = text.substr(0, text.find_first_of("eE"));
  if (mantissa.find_first_of("0123456789") == std::string_view::npos) return;
  static const locale_t cLocale = ::newlocale(LC_ALL_MASK, "C", locale_t{});
  const std::string copy(text);
  const long double expected = ::strtold_l(copy.c_str(), nullptr, cLocale);
  if (!(expected == value && std::signbit(expected) == std::signbit(value))) __builtin_trap();
}

bool SameReading(const kolva::app::ResultsReading& a, const kolva::app::ResultsReading& b) {
  return a.number == b.number && std::memcmp(&a.input1, &b.input1, 4) == 0 &&
         std::memcmp(&a.input2, &b.input2, 4) == 0 && std::memcmp(&a.time, &b.time, 10) == 0;
}

// Lines read by the results reader's block path, a whole line at once or
// sixteen bytes at a time and as many as asked, read the same through its
// line path, bit for bit.
void CheckResultsLines(std::string_view text) {
  namespace app = kolva::app;
  std::string block(text);
  const std::size_t end = block.rfind('\n');
  if (end == std::string::npos) return;
  block.resize(end + 1 + app::kPlainLinesSlack, ' ');
  const char* const stop = block.data() + end + 1;
  using Reader =
      const char* (*)(const char*, const char*, app::ResultsReading*, std::size_t, std::size_t&);
  for (Reader read : {static_cast<Reader>(&app::ReadPlainLines), &app::ReadPlainLinesSixteen}) {
    std::vector<app::ResultsReading> fast(end + 1);
    const char* p = block.data();
    while (p < stop) {
      std::size_t count = 0;
      const char* next = read(p, stop, fast.data(), fast.size(), count);
      for (std::size_t i = 0; i <= count && p < stop; ++i) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', stop - p));
        std::string_view line(p, lf - p);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        app::ResultsReading plain;
        const bool parsed = app::ParseResultsLine(line, plain);
        if (i < count && (!parsed || !SameReading(plain, fast[i]))) __builtin_trap();
        p = lf + 1;
        if (i == count - 1 && p != next) __builtin_trap();
      }
    }
  }
}

void Convert(std::uint8_t choice, std::string_view text) {
  namespace app = kolva::app;
  const std::size_t half = text.size() / 2;
  switch (choice % 7) {
    case 0:
      app::ParseInt(text);
      break;
    case 1: {
      const long double value = app::ParseFloat(text);
      CheckAgainstCLibrary(text, value);
      // What the general format writes reads back.
      if (std::isfinite(value)) app::ParseFloat(app::FloatText(value));
      break;
    }
    case 2:
      app::FormatText(text.substr(0, half), ValueFrom(text.substr(half)));
      break;
    case 3:
      app::FloatPatternText(text.substr(0, half), ValueFrom(text.substr(half)));
      break;
    case 4:
      app::FloatText(ValueFrom(text));
      break;
    case 5:
      CheckResultsLines(text);
      break;
    default:
      app::DateTimePictureText(text, app::DateTime{2026, 12, 8, 23, 59, 58, 7});
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  kolva::platform::LocaleSettings locale;
  if (data[0] & 0x80) {
    locale.decimalSeparator = ',';
    locale.thousandSeparator = '.';
  }
  kolva::platform::SetCurrentLocale(locale);
  try {
    Convert(data[0] & 0x7F, std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
  } catch (const ConvertError&) {
  } catch (const kolva::app::MathError&) {
  } catch (const std::invalid_argument&) {  // a pattern FormatText does not take
  }
  return 0;
}
