// SPDX-License-Identifier: MIT
// Results-file text as the acquisition run writes it, for the reader's
// benchmarks: the header, then lines of a sine and a ramp in millivolts at
// 1 ms, "%2.3f" (LOW) or "%2.2f" (HIGH), with the locale's separator.
#pragma once

#include <cmath>
#include <cstdio>
#include <string>

#include "app/text/textconv.h"

namespace kolva::bench {

inline std::string ResultsHeaderText() {
  std::string text =
      "Date of the measurement - 08.12.2026\r\nTime of the measurement - 23:10:00\r\n";
  text += " \r\n \r\nTime between samples in seconds - 0.001\r\n \r\n";
  text += "Measurement lenth in minutes - 10\r\n \r\n \r\n";
  text += "NR of the sample    INP1     INP2     TIME BASE\r\n \r\n";
  return text;
}

inline void AppendResultsLines(std::string& text, std::size_t from, std::size_t count, bool low) {
  const char* pattern = low ? "%2.3f" : "%2.2f";
  const long double scale = low ? 700.0L : 7900.0L;
  for (std::size_t n = from; n < from + count; ++n) {
    const float in1 = static_cast<float>(scale * std::sin(n * 0.001L * 6.283185307L * 3));
    const float in2 = static_cast<float>(scale * ((n % 2000) / 1000.0L - 1));
    text += app::IntText(static_cast<std::int64_t>(n));
    text.append(14, ' ');
    text += app::FormatText(pattern, in1);
    text.append(4, ' ');
    text += app::FormatText(pattern, in2);
    text.append(9, ' ');
    text += app::FloatText(0.001L * n);
    text += "\r\n";
  }
}

// Writes a results file of `lines` readings; false when it cannot.
inline bool WriteResultsFile(const std::string& path, std::size_t lines, bool low = true) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  std::string text = ResultsHeaderText();
  constexpr std::size_t kBlock = 100000;
  bool ok = true;
  for (std::size_t n = 0; n < lines; n += kBlock) {
    AppendResultsLines(text, n, std::min(kBlock, lines - n), low);
    ok = ok && std::fwrite(text.data(), 1, text.size(), out) == text.size();
    text.clear();
  }
  return std::fclose(out) == 0 && ok;
}

}  // namespace kolva::bench
