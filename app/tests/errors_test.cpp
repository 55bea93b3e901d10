// SPDX-License-Identifier: MIT
#include "app/errors.h"

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

}  // namespace
}  // namespace kolva::app
