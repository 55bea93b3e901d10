// SPDX-License-Identifier: MIT
#include "app/errors.h"

namespace kolva::app {
namespace {

const char* MathMessage(MathError::Kind kind) {
  switch (kind) {
    case MathError::Kind::kInvalidOperation:
      return "Invalid floating point operation";
    case MathError::Kind::kDivisionByZero:
      return "Floating point division by zero";
    case MathError::Kind::kOverflow:
      return "Floating point overflow";
  }
  return "Invalid floating point operation";
}

}  // namespace

IoError::IoError(int code) : Error(MessageFor(code)), code_(code) {}

IoError::IoError(int code, std::string message) : Error(message), code_(code) {}

std::string IoError::MessageFor(int code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    case 100:
      return "Read beyond end of file";
    case 101:
      return "Disk full";
    case 106:
      return "Invalid numeric input";
    default:
      return "I/O error " + std::to_string(code);
  }
}

std::string QuotedText(std::string_view text, bool shortened) {
  const bool cut = shortened || text.size() > kQuoteLimit;
  if (text.size() > kQuoteLimit) text = text.substr(0, kQuoteLimit);
  std::string quoted;
  quoted.reserve(text.size() + 8);
  for (const char c : text) {
    if (c == '\0') {
      quoted += "\\0";
    } else {
      quoted += c;
    }
  }
  if (cut) quoted += "...";
  return quoted;
}

ConvertError NotIntegerError(std::string_view text, bool shortened) {
  return ConvertError("'" + QuotedText(text, shortened) + "' is not a valid integer value");
}

ConvertError NotFloatError(std::string_view text, bool shortened) {
  return ConvertError("'" + QuotedText(text, shortened) + "' is not a valid floating point value");
}

MathError::MathError(Kind kind) : Error(MathMessage(kind)), kind_(kind) {}

}  // namespace kolva::app
