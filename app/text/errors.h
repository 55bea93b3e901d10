// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

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

// The most bytes of a file's or a field's text a message quotes.
inline constexpr std::size_t kQuoteLimit = 64;

// A text as a message quotes it: at most kQuoteLimit bytes, followed by
// "..." when the text is longer or when `shortened` says it is already only
// the start of a longer text, so a cut text never reads as whole. A NUL byte
// is shown as the two characters "\0": the message is a C string on its way
// to the box, and a NUL would end it there.
std::string QuotedText(std::string_view text, bool shortened = false);

// File bytes as a message shows them, safe on a terminal and in a C string:
// a byte below 0x20, DEL, a C1 control (U+0080 to U+009F) and any byte that
// is not part of valid UTF-8 as "\xHH" (e.g. "\x1A"), a backslash doubled so
// that it never reads as the start of one; printable ASCII and the rest of
// valid UTF-8 as they stand. At most `limit` bytes of `text` are shown, cut
// between characters, followed by "..." when some were left out.
std::string EscapedText(std::string_view text, std::size_t limit = std::string_view::npos);

// "'<text>' is not a valid integer value" and "'<text>' is not a valid
// floating point value", with the text quoted as QuotedText does.
ConvertError NotIntegerError(std::string_view text, bool shortened = false);
ConvertError NotFloatError(std::string_view text, bool shortened = false);

// The floating-point unit's faults, raised by the checked helpers at the few
// places where the program's arithmetic can fail.
class MathError : public Error {
 public:
  enum class Kind { kInvalidOperation, kDivisionByZero, kOverflow };
  explicit MathError(Kind kind);
  Kind What() const { return kind_; }

 private:
  Kind kind_;
};

}  // namespace kolva::app
