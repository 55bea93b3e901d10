// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <charconv>
#include <string>
#include <system_error>
#include <vector>

namespace kolva::app::testing {

// The results file's pieces, put together from the format's own rules.
inline std::string FileLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

inline std::vector<std::string> HeaderLines(const std::string& date, const std::string& time,
                                            const std::string& interval,
                                            const std::string& length) {
  return {"Date of the measurement - " + date,
          "Time of the measurement - " + time,
          " ",
          " ",
          "Time between samples in seconds - " + interval,
          " ",
          "Measurement lenth in minutes - " + length,
          " ",
          " ",
          "NR of the sample    INP1     INP2     TIME BASE",
          " "};
}

inline std::string DataLineOf(const std::string& number, const std::string& input1,
                              const std::string& input2, const std::string& time) {
  return number + std::string(14, ' ') + input1 + std::string(4, ' ') + input2 +
         std::string(9, ' ') + time;
}

// A number text with either separator as the standard library reads it, to
// the nearest value of T: a reference independent of the reader's path.
template <typename T>
T Nearest(std::string text) {
  for (char& c : text)
    if (c == ',') c = '.';
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
  return value;
}

}  // namespace kolva::app::testing
