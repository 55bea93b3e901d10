// SPDX-License-Identifier: MIT
#include "app/text/errors.h"

#include <string>

#include <gtest/gtest.h>

namespace kolva::app {
namespace {

TEST(IoErrorTest, MessagesFollowTheTable) {
  const struct {
    int code;
    const char* message;
  } cases[] = {
      {2, "File not found"},
      {3, "Invalid filename"},
      {4, "Too many open files"},
      {5, "File access denied"},
      {100, "Read beyond end of file"},
      {101, "Disk full"},
      {106, "Invalid numeric input"},
      {32, "I/O error 32"},
      {0, "I/O error 0"},
  };
  for (const auto& c : cases) {
    IoError error(c.code);
    EXPECT_EQ(error.Code(), c.code);
    EXPECT_STREQ(error.what(), c.message) << c.code;
  }
}

TEST(MathErrorTest, EachKindHasItsText) {
  EXPECT_STREQ(MathError(MathError::Kind::kInvalidOperation).what(),
               "Invalid floating point operation");
  EXPECT_STREQ(MathError(MathError::Kind::kDivisionByZero).what(),
               "Floating point division by zero");
  EXPECT_STREQ(MathError(MathError::Kind::kOverflow).what(), "Floating point overflow");
}

TEST(QuotedTextTest, BoundsTheQuoteVisiblyAndShowsNul) {
  const std::string limit(kQuoteLimit, 'a');
  const struct {
    std::string text;
    bool shortened;
    std::string quoted;
  } cases[] = {
      {"D800", false, "D800"},
      {"", false, ""},
      {limit, false, limit},
      {limit + "b", false, limit + "..."},
      {"12", true, "12..."},
      {std::string("D8\0"
                   "00",
                   5),
       false, "D8\\000"},
      {std::string(kQuoteLimit + 1, '\0'), false,
       [] {
         std::string nuls;
         for (std::size_t i = 0; i < kQuoteLimit; ++i) nuls += "\\0";
         return nuls + "...";
       }()},
  };
  for (const auto& c : cases) EXPECT_EQ(QuotedText(c.text, c.shortened), c.quoted) << c.text;
  // The message is whole as a C string: nothing after a NUL is lost.
  EXPECT_STREQ(NotIntegerError(std::string("D8\0"
                                           "00",
                                           5))
                   .what(),
               "'D8\\000' is not a valid integer value");
  EXPECT_STREQ(NotFloatError("1", true).what(), "'1...' is not a valid floating point value");
}

// File bytes in a message: nothing that steers a terminal or ends a C
// string gets through as it is, an escape never reads as the text's own
// backslash, and plain text and whole UTF-8 characters stay as they are.
TEST(EscapedTextTest, ShowsControlsAndBrokenUtf8AsHexAndPlainTextAsItIs) {
  const struct {
    std::string text;
    std::size_t limit;
    std::string shown;
  } cases[] = {
      {"0              13.194    -699.300         0.001", 60,
       "0              13.194    -699.300         0.001"},
      {std::string("1\0"
                   "2",
                   3),
       60, "1\\x002"},
      {"\x1A"
       "0  1  2  3",
       60, "\\x1A0  1  2  3"},
      {"\x1B[2J\x7F\t\r", 60, "\\x1B[2J\\x7F\\x09\\x0D"},
      {"a\\x1A", 60, "a\\\\x1A"},                     // the text's own backslash
      {"\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", 60,  // e acute, euro, an emoji
       "\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"\xB1 \xC2\x9B \xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80 \xE2\x82", 60,
       "\\xB1 \\xC2\\x9B \\xC0\\xAF \\xED\\xA0\\x80 \\xF4\\x90\\x80\\x80 \\xE2\\x82"},
      {"abcdef", 6, "abcdef"},
      {"abcdefg", 6, "abcdef..."},
      {"abcde\xE2\x82\xAC", 6, "abcde..."},  // cut before a character, never inside
      {"abcde\x01\x02", 6, "abcde\\x01..."},
  };
  for (const auto& c : cases) EXPECT_EQ(EscapedText(c.text, c.limit), c.shown) << c.text;
}

}  // namespace
}  // namespace kolva::app
