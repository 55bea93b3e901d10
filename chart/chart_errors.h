// SPDX-License-Identifier: MIT
#pragma once

#include <charconv>
#include <stdexcept>
#include <string>

namespace kolva::chart {

// An invalid property value of a chart object; the message is the engine's
// own text and the property keeps its old value.
class ChartException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An invalid legend setting.
class LegendException : public ChartException {
 public:
  using ChartException::ChartException;
};

// An index outside a list: "List index out of bounds (%d)".
class EListError : public std::out_of_range {
 public:
  explicit EListError(int index)
      : std::out_of_range("List index out of bounds (" + IndexText(index) + ")") {}

 private:
  static std::string IndexText(int index) {
    char digits[16];
    auto end = std::to_chars(digits, digits + sizeof digits, index).ptr;
    return std::string(digits, end);
  }
};

}  // namespace kolva::chart
