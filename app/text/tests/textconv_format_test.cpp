// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

#include "app/text/textconv.h"
#include "textconv_locale_fake.h"

namespace kolva::app {
namespace {

using testing::ScopedLocale;
using testing::Separators;

TEST(IntTextTest, WritesPlainDecimalDigits) {
  const struct {
    std::int64_t value;
    const char* text;
  } cases[] = {
      {0, "0"},
      {7, "7"},
      {-200, "-200"},
      {2147483647, "2147483647"},
      {-2147483647 - 1, "-2147483648"},
      {4294967295LL, "4294967295"},  // an unsigned 32-bit count widened
      {1234567, "1234567"},          // no thousands separators
  };
  for (const auto& c : cases) EXPECT_EQ(IntText(c.value), c.text) << c.value;
}

TEST(HexTextTest, PadsUpperCaseDigitsWithoutPrefix) {
  const struct {
    std::uint64_t value;
    int digits;
    const char* text;
  } cases[] = {
      {768, 4, "0300"},
      {0xD800, 4, "D800"},
      {0, 4, "0000"},
      {0, 0, "0"},
      {0xABCDEF, 2, "ABCDEF"},
      {0x1F, 8, "0000001F"},
      {0xFFFFFFFFFFFFFFFFULL, 1, "FFFFFFFFFFFFFFFF"},
  };
  for (const auto& c : cases) EXPECT_EQ(HexText(c.value, c.digits), c.text) << c.value;
}

struct FixedCase {
  const char* pattern;
  long double value;
  const char* point;  // with "." as decimal separator
  const char* comma;  // with ","
};

class FormatTextTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FormatTextTest, RoundsAtTheLastDigitWithTiesAwayFromZero) {
  const FixedCase& c = GetParam();
  {
    ScopedLocale locale(Separators('.', ','));
    EXPECT_EQ(FormatText(c.pattern, c.value), c.point);
  }
  ScopedLocale locale(Separators(',', '.'));
  EXPECT_EQ(FormatText(c.pattern, c.value), c.comma);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatTextTest,
    ::testing::Values(
        // Binary ties: exactly halfway, rounded away from zero.
        FixedCase{"%2.3f", 0.0625L, "0.063", "0,063"},
        FixedCase{"%2.3f", -0.0625L, "-0.063", "-0,063"},
        FixedCase{"%2.2f", 0.125L, "0.13", "0,13"},
        FixedCase{"%2.2f", 2.675L, "2.68", "2,68"},  // a tie once taken to 18 digits
        FixedCase{"%2.3f", 12.3456L, "12.346", "12,346"},
        FixedCase{"%4.3f", 0.366L, "0.366", "0,366"}, FixedCase{"%4.3f", 0.0L, "0.000", "0,000"},
        FixedCase{"%2.2f", -7.999L, "-8.00", "-8,00"},
        FixedCase{"%4.3f", 0.9995L, "1.000", "1,000"},  // 18 digits first: 0.999500000000000000
        FixedCase{"%2.3f", 0.0005L, "0.001", "0,001"},
        FixedCase{"%2.3f", 0.00049L, "0.000", "0,000"},
        FixedCase{"%2.3f", -0.0004L, "0.000", "0,000"},  // no "-" before a zero
        FixedCase{"%4.3f", 1e-30L, "0.000", "0,000"},
        // A single reading widened exactly: 1.2345f is 1.23450005054473876953125.
        FixedCase{"%2.3f", static_cast<long double>(1.2345f), "1.235", "1,235"},
        FixedCase{"%2.2f", static_cast<long double>(-8000.125f), "-8000.13", "-8000,13"},
        FixedCase{"%2.3f", 1e15L, "1000000000000000.000", "1000000000000000,000"},
        FixedCase{"%2.2f", 999999999999999999.0L, "999999999999999999.00", "999999999999999999,00"},
        // A half beyond the 18th digit goes to the even 18th digit first.
        FixedCase{"%1.0f", 123456789012345678.5L, "123456789012345678", "123456789012345678"},
        FixedCase{"%1.0f", 123456789012345677.5L, "123456789012345678", "123456789012345678"},
        // 10^18 and beyond fall back to the general format.
        FixedCase{"%2.3f", 1e18L, "1E18", "1E18"},
        FixedCase{"%2.3f", -2.5e20L, "-2.5E20", "-2,5E20"},
        // Width pads on the left (or right with "-"), never cuts.
        FixedCase{"%8.2f", 3.14159L, "    3.14", "    3,14"},
        FixedCase{"%-8.2f", 3.14159L, "3.14    ", "3,14    "}, FixedCase{"%1.0f", 2.5L, "3", "3"},
        FixedCase{"%.1f", -0.05L, "-0.1", "-0,1"}, FixedCase{"%f", 1.0L, "1.00", "1,00"},
        FixedCase{"U=%4.3f mV %%", 1.5L, "U=1.500 mV %", "U=1,500 mV %"}));

TEST(FormatTextTest, RejectsMalformedPatterns) {
  for (const char* pattern : {"", "%", "%4.3", "%d", "4.3f", "%4.3f %2.2f", "%9999.2f"})
    EXPECT_THROW(FormatText(pattern, 1.0L), std::invalid_argument) << pattern;
}

TEST(FormatTextTest, NonFiniteValuesHaveFixedTexts) {
  const long double inf = std::numeric_limits<long double>::infinity();
  EXPECT_EQ(FormatText("%2.3f", inf), "INF");
  EXPECT_EQ(FormatText("%6.3f", -inf), "  -INF");
  EXPECT_EQ(FloatText(std::numeric_limits<long double>::quiet_NaN()), "NAN");
}

struct GeneralCase {
  long double value;
  const char* point;
  const char* comma;
};

class FloatTextTest : public ::testing::TestWithParam<GeneralCase> {};

TEST_P(FloatTextTest, KeepsFifteenDigitsAndSwitchesNotationAtTheLimits) {
  const GeneralCase& c = GetParam();
  {
    ScopedLocale locale(Separators('.', ','));
    EXPECT_EQ(FloatText(c.value), c.point);
  }
  ScopedLocale locale(Separators(',', '.'));
  EXPECT_EQ(FloatText(c.value), c.comma);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FloatTextTest,
    ::testing::Values(
        GeneralCase{0.0L, "0", "0"}, GeneralCase{-0.0L, "0", "0"}, GeneralCase{3.0L, "3", "3"},
        GeneralCase{2.5L, "2.5", "2,5"}, GeneralCase{-2.5L, "-2.5", "-2,5"},
        GeneralCase{0.001L * 7, "0.007", "0,007"},  // no tail beyond 15 digits
        GeneralCase{0.001L * 3000, "3", "3"}, GeneralCase{0.1L * 3, "0.3", "0,3"},
        GeneralCase{static_cast<long double>(0.1f), "0.100000001490116", "0,100000001490116"},
        GeneralCase{1.0L / 3, "0.333333333333333", "0,333333333333333"},
        GeneralCase{2.0L / 3, "0.666666666666667", "0,666666666666667"},
        GeneralCase{0.001L, "0.001", "0,001"}, GeneralCase{0.0001L, "0.0001", "0,0001"},
        GeneralCase{0.00001L, "1E-5", "1E-5"}, GeneralCase{-0.000123L, "-0.000123", "-0,000123"},
        GeneralCase{0.0000123L, "1.23E-5", "1,23E-5"}, GeneralCase{1.5e20L, "1.5E20", "1,5E20"},
        GeneralCase{123456789012345.0L, "123456789012345", "123456789012345"},
        GeneralCase{999999999999999.0L, "999999999999999", "999999999999999"},
        GeneralCase{1e15L, "1E15", "1E15"},
        GeneralCase{9999999999999999.0L, "1E16", "1E16"},  // rounds up to 16 digits
        GeneralCase{1234567890123456.0L, "1.23456789012346E15", "1,23456789012346E15"},
        GeneralCase{1e18L, "1E18", "1E18"}, GeneralCase{12.5L, "12.5", "12,5"},
        GeneralCase{0.5e-4930L, "5E-4931", "5E-4931"},
        GeneralCase{-1.1e4000L, "-1.1E4000", "-1,1E4000"},
        GeneralCase{std::numeric_limits<long double>::max(), "1.18973149535723E4932",
                    "1,18973149535723E4932"},
        GeneralCase{std::numeric_limits<long double>::denorm_min(), "3.64519953188247E-4951",
                    "3,64519953188247E-4951"}));

TEST(FloatTextTest, SampleTimesOfARunShowNoBinaryTail) {
  // The results file writes interval x sample number, formed in extended.
  ScopedLocale locale(Separators('.', ','));
  for (int n = 0; n <= 20000; ++n) {
    const long double time = 0.001L * n;
    const std::string text = FloatText(time);
    std::string expected = IntText(n / 1000);
    if (n % 1000 != 0) {
      std::string frac = IntText(1000 + n % 1000).substr(1);
      while (frac.back() == '0') frac.pop_back();
      expected += "." + frac;
    }
    ASSERT_EQ(text, expected) << n;
  }
}

}  // namespace
}  // namespace kolva::app
