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
    case MathError::Kind::kIntegerOverflow:
      return "Integer overflow";
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

MathError::MathError(Kind kind) : Error(MathMessage(kind)), kind_(kind) {}

}  // namespace kolva::app
