// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "app/text/errors.h"
#include "app/text/textconv.h"
#include "textconv_locale_fake.h"

namespace kolva::app {
namespace {

using testing::ScopedLocale;
using testing::Separators;

struct PatternCase {
  const char* pattern;
  long double value;
  const char* point;  // "." decimal, "," thousands
  const char* comma;  // "," decimal, "." thousands
};

class FloatPatternTextTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(FloatPatternTextTest, WritesThePicture) {
  const PatternCase& c = GetParam();
  {
    ScopedLocale locale(Separators('.', ','));
    EXPECT_EQ(FloatPatternText(c.pattern, c.value), c.point);
  }
  ScopedLocale locale(Separators(',', '.'));
  EXPECT_EQ(FloatPatternText(c.pattern, c.value), c.comma);
}

INSTANTIATE_TEST_SUITE_P(
    AxisLabels, FloatPatternTextTest,
    ::testing::Values(PatternCase{"#,##0.###", 1234.5L, "1,234.5", "1.234,5"},
                      PatternCase{"#,##0.###", 1000000.0L, "1,000,000", "1.000.000"},
                      PatternCase{"#,##0.###", -2.25L, "-2.25", "-2,25"},
                      PatternCase{"#,##0.###", 0.3000000001L, "0.3", "0,3"},
                      PatternCase{"#,##0.###", 0.0L, "0", "0"},
                      PatternCase{"#,##0.###", 999.9996L, "1,000", "1.000"},
                      PatternCase{"#,##0.###", 0.0625L, "0.063", "0,063"},  // tie away from zero
                      PatternCase{"#,##0.###", -1234567.0625L, "-1,234,567.063", "-1.234.567,063"},
                      PatternCase{"#,##0.###", 123.0L, "123", "123"},
                      PatternCase{"#,##0.###", 0.0004L, "0",
                                  "0"},  // rounded away: no "-" either way
                      PatternCase{"#,##0.###", -0.0004L, "0", "0"},
                      PatternCase{"#,##0.###", 999999999999999999.0L, "999,999,999,999,999,999",
                                  "999.999.999.999.999.999"},
                      PatternCase{"#,##0.###", 1e18L, "1E18", "1E18"},
                      PatternCase{"#,##0.###", -2.5e20L, "-2.5E20", "-2,5E20"},
                      PatternCase{"##0.## %", 12.345L, "12.35 %", "12,35 %"},  // "%" does not scale
                      PatternCase{"##0.## %", 0.5L, "0.5 %", "0,5 %"}));

INSTANTIATE_TEST_SUITE_P(
    Placeholders, FloatPatternTextTest,
    ::testing::Values(
        PatternCase{"0.00", 3.0L, "3.00", "3,00"}, PatternCase{"0.0#", 3.14159L, "3.14", "3,14"},
        PatternCase{"0.0#", 3.1L, "3.1", "3,1"}, PatternCase{"000", 7.0L, "007", "007"},
        PatternCase{"#0", 0.4L, "0", "0"},
        PatternCase{"#", 12345.6L, "12346", "12346"},  // integer digits beyond placeholders
        PatternCase{"#.##", 0.5L, ".5", ",5"}, PatternCase{"#.##", -0.5L, "-.5", "-,5"},
        // "#" is written only when significant: zero leaves nothing.
        PatternCase{"#.##", 0.0L, "", ""}, PatternCase{"#,###", 0.0L, "", ""},
        PatternCase{"#", 0.0L, "", ""}, PatternCase{"#.##", 0.001L, "", ""},
        PatternCase{"#,###", -0.2L, "", ""}, PatternCase{"#.## V", 0.0L, " V", " V"},
        PatternCase{"##0.## %", 0.0L, "0 %", "0 %"}, PatternCase{".00", 12.5L, "12.50", "12,50"},
        PatternCase{"00-00", 1234.0L, "12-34", "12-34"}, PatternCase{"0 V", 5.0L, "5 V", "5 V"},
        PatternCase{"\"U=\"0.0\" mV\"", 1.25L, "U=1.3 mV", "U=1,3 mV"},
        PatternCase{"'#'0", 5.0L, "#5", "#5"},
        PatternCase{"0,000", 1234567.0L, "1,234,567", "1.234.567"},
        PatternCase{"0.0,0", 1.25L, "1.25", "1,25"}));  // "," after the point: no grouping

INSTANTIATE_TEST_SUITE_P(
    Exponents, FloatPatternTextTest,
    ::testing::Values(PatternCase{"0.00E+00", 1234.5L, "1.23E+03", "1,23E+03"},
                      PatternCase{"0.00E+00", 0.00012345L, "1.23E-04", "1,23E-04"},
                      PatternCase{"0.00E-00", 1234.5L, "1.23E03", "1,23E03"},
                      PatternCase{"0.00e-0", 0.00012345L, "1.23e-4", "1,23e-4"},
                      PatternCase{"0.00E+00", 0.0L, "0.00E+00", "0,00E+00"},
                      PatternCase{"0.00E+00", 9.999L, "1.00E+01", "1,00E+01"},
                      PatternCase{"0.##E+000", 1.5e300L, "1.5E+300", "1,5E+300"},
                      PatternCase{"##0.0E+0", 12345.0L, "123.5E+2", "123,5E+2"},
                      PatternCase{"0.0E+0", 1e25L, "1.0E+25", "1,0E+25"},
                      PatternCase{"0.0E+0", -1e25L, "-1.0E+25", "-1,0E+25"},
                      PatternCase{"#,##0.0E+0", 12345.0L, "1234.5E+1", "1234,5E+1"},
                      // No "0" after the sign: plain text.
                      PatternCase{"0E+", 5.0L, "5E+", "5E+"}));

INSTANTIATE_TEST_SUITE_P(
    Sections, FloatPatternTextTest,
    ::testing::Values(PatternCase{"0.0;(0.0);\"zero\"", 1.25L, "1.3", "1,3"},
                      PatternCase{"0.0;(0.0);\"zero\"", -1.25L, "(1.3)", "(1,3)"},
                      PatternCase{"0.0;(0.0);\"zero\"", 0.0L, "zero", "zero"},
                      PatternCase{"0.0;(0.0);\"zero\"", 0.01L, "zero", "zero"},  // rounds to zero
                      PatternCase{"0.0;(0.0);\"zero\"", -0.01L, "zero", "zero"},
                      PatternCase{"0.0;;\"zero\"", -2.0L, "-2.0",
                                  "-2,0"},                          // empty negative section
                      PatternCase{"0.0", -2.0L, "-2.0", "-2,0"},    // missing negative section
                      PatternCase{"0.0;-0.0", 0.0L, "0.0", "0,0"},  // missing zero section
                      PatternCase{"0.0;(0.0);", 0.0L, "0", "0"},    // empty zero section
                      PatternCase{";0.0", 2.5L, "2.5", "2,5"},      // empty positive section
                      PatternCase{"\"a;b\"0;\"neg\"0", -3.0L, "neg3", "neg3"},  // ";" quoted
                      PatternCase{"0;-0;\"z\";\"ignored\"", 0.0L, "z", "z"},
                      PatternCase{"", 1.5L, "1.5", "1,5"}));

TEST(FloatPatternTextTest, PatternsOf225CharactersOrMoreAreTooLong) {
  const std::string longest(224, '0');
  EXPECT_EQ(FloatPatternText(longest, 1.0L), std::string(223, '0') + "1");
  for (std::size_t length : {225, 300}) {
    try {
      FloatPatternText(std::string(length, '#'), 1.0L);
      ADD_FAILURE() << length;
    } catch (const ConvertError& error) {
      EXPECT_STREQ(error.what(), "Format string too long");
    }
  }
}

TEST(FloatPatternTextTest, NonFiniteValuesUseTheGeneralTexts) {
  EXPECT_EQ(FloatPatternText("#,##0.###", std::numeric_limits<long double>::infinity()), "INF");
  EXPECT_EQ(FloatPatternText("0.0", std::numeric_limits<long double>::quiet_NaN()), "NAN");
}

}  // namespace
}  // namespace kolva::app
