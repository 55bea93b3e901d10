// SPDX-License-Identifier: MIT
#include "app/text/checked_math.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <limits>

#include "app/text/errors.h"

namespace kolva::app {
namespace {

MathError::Kind KindOf(auto&& call) {
  try {
    call();
  } catch (const MathError& e) {
    return e.What();
  }
  ADD_FAILURE() << "no MathError raised";
  return MathError::Kind::kInvalidOperation;
}

TEST(CheckedMathTest, TruncationTowardZeroAndItsRange) {
  EXPECT_EQ(TruncToInt64(-3.7L), -3);
  EXPECT_EQ(TruncToInt64(3.7L), 3);
  EXPECT_EQ(TruncToInt64(0.001L * 1193180.0L), 1193);
  EXPECT_EQ(TruncToInt64(-9223372036854775808.0L), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(KindOf([] { TruncToInt64(9223372036854775808.0L); }),
            MathError::Kind::kInvalidOperation);
  EXPECT_EQ(KindOf([] { TruncToInt64(std::numeric_limits<long double>::infinity()); }),
            MathError::Kind::kInvalidOperation);
  EXPECT_EQ(KindOf([] { TruncToInt64(std::numeric_limits<long double>::quiet_NaN()); }),
            MathError::Kind::kInvalidOperation);
}

TEST(CheckedMathTest, SingleStoreRoundsOnceAndOverflows) {
  EXPECT_EQ(StoreSingle(0.1L), 0.1f);
  EXPECT_EQ(StoreSingle(static_cast<long double>(FLT_MAX)), FLT_MAX);
  EXPECT_EQ(StoreSingle(1e-50L), 0.0f);
  EXPECT_EQ(KindOf([] { StoreSingle(1e39L); }), MathError::Kind::kOverflow);
  EXPECT_EQ(KindOf([] { StoreSingle(-1e39L); }), MathError::Kind::kOverflow);
}

TEST(CheckedMathTest, DivisionFaults) {
  EXPECT_EQ(Divide(3.0L, 2.0L), 1.5L);
  EXPECT_EQ(KindOf([] { Divide(1.0L, 0.0L); }), MathError::Kind::kDivisionByZero);
  EXPECT_EQ(KindOf([] { Divide(0.0L, 0.0L); }), MathError::Kind::kInvalidOperation);
}

}  // namespace
}  // namespace kolva::app
