// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "app/errors.h"
#include "app/textconv.h"
#include "textconv_locale_fake.h"

namespace kolva::app {
namespace {

using testing::ScopedLocale;
using testing::Separators;

std::string ConvertMessage(auto&& parse) {
  try {
    parse();
  } catch (const ConvertError& error) {
    return error.what();
  }
  return "(no error)";
}

TEST(ParseIntTest, AcceptsDecimalAndHexadecimalForms) {
  const struct {
    const char* text;
    std::int32_t value;
  } cases[] = {
      {"12", 12},
      {" 12", 12},
      {"   -200", -200},
      {"+7", 7},
      {"-0", 0},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"$D800", 0xD800},
      {"$d800", 0xD800},
      {"x300", 0x300},
      {"X300", 0x300},
      {"0x1f", 0x1F},
      {"0X1F", 0x1F},
      {" $7FFFFFFF", 2147483647},
      {"0", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseInt(c.text), c.value) << c.text;
}

TEST(ParseIntTest, RejectsWithTheWholeTextInTheMessage) {
  for (const char* text :
       {"",     " ",   "12 ", "1 2",        "-",           "+",         "$",
        "0x",   "x",   "--1", "+-1",        "-$10",        "$-10",      "1.5",
        "1e3",  "12a", "$G",  "2147483648", "-2147483649", "$80000000", "99999999999999999999",
        "\t12", "0x 1"}) {
    EXPECT_EQ(ConvertMessage([&] { ParseInt(text); }),
              "'" + std::string(text) + "' is not a valid integer value")
        << text;
  }
}

struct FloatCase {
  char separator;
  const char* text;
  long double value;
};

class ParseFloatAcceptTest : public ::testing::TestWithParam<FloatCase> {};

TEST_P(ParseFloatAcceptTest, GivesTheNearestExtendedValue) {
  const FloatCase& c = GetParam();
  ScopedLocale locale(Separators(c.separator, c.separator == ',' ? '.' : ','));
  const long double parsed = ParseFloat(c.text);
  EXPECT_EQ(parsed, c.value) << c.text;
  EXPECT_EQ(std::signbit(parsed), std::signbit(c.value)) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseFloatAcceptTest,
    ::testing::Values(
        FloatCase{',', "0,001", 1.0L / 1000}, FloatCase{'.', "0.001", 1.0L / 1000},
        FloatCase{',', " 1,5E2 ", 150.0L}, FloatCase{'.', "1.5e+2", 150.0L},
        FloatCase{'.', "-2.5", -2.5L}, FloatCase{'.', "+3", 3.0L}, FloatCase{'.', "3.", 3.0L},
        FloatCase{'.', ".5", 0.5L}, FloatCase{'.', "-.5", -0.5L}, FloatCase{'.', ".", 0.0L},
        FloatCase{'.', "-0", -0.0L}, FloatCase{'.', "0e5", 0.0L}, FloatCase{'.', "  12  ", 12.0L},
        FloatCase{'.', "1E-3", 1.0L / 1000}, FloatCase{'.', "0.1", 1.0L / 10},
        FloatCase{'.', "0.05", 5.0L / 100}, FloatCase{'.', "1e27", 1e27L},
        FloatCase{'.', "7e-27", 7.0L / 1e27L},
        FloatCase{'.', "12345678901234567890", 12345678901234567890.0L},
        FloatCase{'.', "0.000000000000000000000000000001", 1e-30L},
        FloatCase{'.', "1.18973149535723176502e4932", std::numeric_limits<long double>::max()},
        FloatCase{'.', "1e-5000", 0.0L}, FloatCase{'.', "00000000000000000000000001.5", 1.5L}));

TEST(ParseFloatTest, RejectsWithTheWholeTextInTheMessage) {
  const struct {
    char separator;
    const char* text;
  } cases[] = {
      {',', "0.001"},  // the other separator
      {'.', "0,001"},   {'.', ""},    {'.', "   "},  {'.', "-"},     {'.', "+"},
      {'.', "e5"},      {'.', "1e"},  {'.', "1e+"},  {'.', "1.2.3"}, {'.', "1,000"},
      {'.', "--1"},     {'.', "1 2"}, {'.', "0x10"}, {'.', "$10"},   {'.', "1e4933"},
      {'.', "-1e5000"}, {'.', "INF"}, {'.', "NAN"},  {'.', "\t1"},   {'.', "1f"},
  };
  for (const auto& c : cases) {
    ScopedLocale locale(Separators(c.separator, c.separator == ',' ? '.' : ','));
    EXPECT_EQ(ConvertMessage([&] { ParseFloat(c.text); }),
              "'" + std::string(c.text) + "' is not a valid floating point value")
        << c.text;
  }
}

TEST(ParseFloatTest, ReadsBackWhatTheFormatsWrite) {
  ScopedLocale locale(Separators(',', '.'));
  for (long double v : {0.001L * 7, -1.0L / 3, 123456.789L, 1e-300L, 6.02214076e23L}) {
    const long double back = ParseFloat(FloatText(v));
    EXPECT_NEAR(static_cast<double>(back / v), 1.0, 1e-14) << FloatText(v);
  }
  EXPECT_EQ(ParseFloat(FormatText("%2.3f", 12.3456L)), ParseFloat("12,346"));
}

}  // namespace
}  // namespace kolva::app
