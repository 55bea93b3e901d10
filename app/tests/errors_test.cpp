// SPDX-License-Identifier: MIT
#include "app/errors.h"

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

}  // namespace
}  // namespace kolva::app
