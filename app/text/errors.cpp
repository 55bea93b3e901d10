// SPDX-License-Identifier: MIT
#include "app/text/errors.h"

#include <algorithm>

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

namespace {

// The length of the valid UTF-8 sequence at the start of `text` that
// encodes a character past U+009F, or 0: a single byte, a C1 control, an
// overlong form, a surrogate, a value past U+10FFFF or a cut sequence.
std::size_t PrintableSequence(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned lead = byte(0);
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF;  // the second byte's range
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    if (lead == 0xC2) low = 0xA0;  // not a C1 control
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  }
  if (length == 0 || text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  return length;
}

}  // namespace

std::string EscapedText(std::string_view text, std::size_t limit) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown;
  shown.reserve(std::min(text.size(), limit) + 8);
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t sequence = c >= 0x80 ? PrintableSequence(text.substr(i)) : 0;
    const std::size_t taken = sequence == 0 ? 1 : sequence;
    if (limit - i < taken) break;
    if (sequence != 0) {
      shown.append(text.substr(i, sequence));
    } else if (c == '\\') {
      shown += "\\\\";
    } else if (c < 0x20 || c >= 0x7F) {
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 0xF];
    } else {
      shown += static_cast<char>(c);
    }
    i += taken;
  }
  if (i < text.size()) shown += "...";
  return shown;
}

ConvertError NotIntegerError(std::string_view text, bool shortened) {
  return ConvertError("'" + QuotedText(text, shortened) + "' is not a valid integer value");
}

ConvertError NotFloatError(std::string_view text, bool shortened) {
  return ConvertError("'" + QuotedText(text, shortened) + "' is not a valid floating point value");
}

MathError::MathError(Kind kind) : Error(MathMessage(kind)), kind_(kind) {}

}  // namespace kolva::app
