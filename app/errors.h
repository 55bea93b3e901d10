// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

namespace kolva::app {

// The base of every failure the acquisition application raises. The message
// is the system's own text, shown to the operator as it stands (the error box
// adds the final "." where the display rule asks for one).
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failed text-file operation, with its I/O code (2 missing file, 3 bad path,
// 4 too many open files, 5 access denied, 100-106 from the text-file layer,
// any other platform error number as it stands).
class IoError : public Error {
 public:
  explicit IoError(int code);
  // For a platform error number that falls on a code of the table but means
  // something else there (an EIO is not "File access denied"): the code as
  // reported, with a message of the caller's choosing.
  IoError(int code, std::string message);
  int Code() const { return code_; }

  // The message table: "File not found" for 2, ..., "I/O error %d" otherwise.
  static std::string MessageFor(int code);

 private:
  int code_;
};

// Text that does not convert to a number ("'%s' is not a valid integer value",
// "'%s' is not a valid floating point value", "Format string too long").
class ConvertError : public Error {
 public:
  using Error::Error;
};

// The floating-point unit's faults, raised by the checked helpers at the few
// places where the program's arithmetic can fail.
class MathError : public Error {
 public:
  // kIntegerOverflow is the processor's integer overflow check.
  enum class Kind { kInvalidOperation, kDivisionByZero, kOverflow, kIntegerOverflow };
  explicit MathError(Kind kind);
  Kind What() const { return kind_; }

 private:
  Kind kind_;
};

}  // namespace kolva::app
