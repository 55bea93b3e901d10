// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "app/text/errors.h"
#include "app/text/textconv.h"
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

// Digit strings of any length are read exactly; values below the smallest
// normal extended come back as the nearest subnormal.
TEST(ParseFloatTest, ReadsAnyNumberOfDigitsExactly) {
  ScopedLocale locale(Separators('.', ','));
  const std::string zeros(150000, '0');
  // Exactly halfway between 1 and the next extended value up (1 + 2^-63),
  // then a nonzero digit far beyond any digit a conversion would keep.
  const std::string half = "1.0000000000000000000542101086242752217003726400434970855712890625";
  const long double denormMin = std::numeric_limits<long double>::denorm_min();
  const struct {
    std::string text;
    long double value;
  } cases[] = {
      {"1" + zeros + "e-150000", 1.0L},
      {"0." + zeros + "1e150001", 1.0L},
      {"0." + zeros + "1e150000", 0.1L},
      {"-0." + zeros + "25e150001", -2.5L},
      {half, 1.0L},  // a tie goes to the even neighbour
      {half + zeros + "1", std::nextafter(1.0L, 2.0L)},
      {"1e-99999999999999999999999", 0.0L},
      {"3.3621031431120935063e-4932", std::numeric_limits<long double>::min()},
      {"1.2825405666778921151209555882727632913964e-4937", std::ldexp(1.0L, -16400)},
      {"3.6451995318824746025e-4951", denormMin},
      {"2e-4951", denormMin},
      {"1.7e-4951", 0.0L},
      {"-5e-4951", -denormMin},
  };
  for (const auto& c : cases) {
    const long double parsed = ParseFloat(c.text);
    EXPECT_EQ(parsed, c.value) << c.text.substr(0, 40);
    EXPECT_EQ(std::signbit(parsed), std::signbit(c.value)) << c.text.substr(0, 40);
  }
  EXPECT_EQ(ConvertMessage([] { ParseFloat("1e99999999999999999999999"); }),
            "'1e99999999999999999999999' is not a valid floating point value");
  EXPECT_EQ(ConvertMessage([&] { ParseFloat("1" + zeros + "e-140000"); }),
            "'" + std::string(64, '1').substr(0, 1) + std::string(63, '0') +
                "...' is not a valid floating point value");
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
