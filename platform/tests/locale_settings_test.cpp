// SPDX-License-Identifier: MIT
#include "platform/locale_settings.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace kolva::platform {
namespace {

TEST(DatePictureFromStrftimeTest, ConvertsTheLocalesDatePatterns) {
  const struct {
    const char* pattern;
    const char* picture;
    char separator;
  } cases[] = {
      {"%d.%m.%Y", "dd/mm/yyyy", '.'},
      {"%m/%d/%y", "mm/dd/yy", '/'},
      {"%Y-%m-%d", "yyyy/mm/dd", '-'},
      {"%F", "yyyy/mm/dd", '-'},
      {"%D", "mm/dd/yy", '/'},
      {"%e.%-m.%Y", "d/m/yyyy", '.'},
      {"%d %b %Y", "dd/mmm/yyyy", ' '},
      {"%A, %B %d, %Y", "dddd/ mmmm dd/ yyyy", ','},
      {"%Y. %m. %d.", "yyyy/ mm/ dd/", '.'},
      {"%d/%m/%Y \xD0\xB3.", "dd/mm/yyyy \xD0\xB3.", '/'},  // other bytes copied as they are
      {"%Y\xE5\xB9\xB4%m\xE6\x9C\x88%d\xE6\x97\xA5",
       "yyyy\xE5\xB9\xB4"
       "mm\xE6\x9C\x88"
       "dd\xE6\x97\xA5",
       '/'},  // no ASCII separator
      {"%d-%m-%y x", "dd/mm/yy \"x\"", '-'},
      {"", "m/d/yy", '/'},
  };
  for (const auto& c : cases) {
    const DatePicture picture = DatePictureFromStrftime(c.pattern);
    EXPECT_EQ(picture.picture, c.picture) << c.pattern;
    EXPECT_EQ(picture.separator, c.separator) << c.pattern;
  }
}

TEST(TimePicturesFromStrftimeTest, BuildsLongAndShortTimeFormats) {
  const struct {
    const char* pattern;
    const char* amPm;
    const char* longTime;
    const char* shortTime;
    char separator;
  } cases[] = {
      {"%H:%M:%S", "", "hh:mm:ss", "hh:mm", ':'},
      {"%T", "", "hh:mm:ss", "hh:mm", ':'},
      {"%k.%M.%S", "", "h:mm:ss", "h:mm", '.'},
      {"%-H:%M", "", "h:mm:ss", "h:mm", ':'},
      {"%I:%M:%S %p", "", "hh:mm:ss AMPM", "hh:mm AMPM", ':'},
      {"%r", "%I:%M:%S %p", "hh:mm:ss AMPM", "hh:mm AMPM", ':'},
      {"%p %l:%M:%S", "", "AMPM h:mm:ss", "AMPM h:mm", ':'},
      {"%l:%M:%S", "", "h:mm:ss AMPM", "h:mm AMPM", ':'},
      {"", "", "h:mm:ss", "h:mm", ':'},
      {"%M:%S", "", "h:mm:ss", "h:mm", ':'},  // no hour field: fallbacks
  };
  for (const auto& c : cases) {
    const TimePictures pictures = TimePicturesFromStrftime(c.pattern, c.amPm);
    EXPECT_EQ(pictures.longTime, c.longTime) << c.pattern;
    EXPECT_EQ(pictures.shortTime, c.shortTime) << c.pattern;
    EXPECT_EQ(pictures.separator, c.separator) << c.pattern;
  }
}

TEST(ReadUserLocaleTest, TheCLocaleGivesPointAndFallbacks) {
  const LocaleSettings s = ReadUserLocale("C");
  EXPECT_EQ(s.decimalSeparator, '.');
  EXPECT_EQ(s.thousandSeparator, ',');  // C has none: the fallback
  EXPECT_EQ(s.dateSeparator, '/');
  EXPECT_EQ(s.timeSeparator, ':');
  EXPECT_EQ(s.shortDateFormat, "mm/dd/yy");
  EXPECT_EQ(s.longDateFormat, "mmmm d, yyyy");
  EXPECT_EQ(s.longTimeFormat, "hh:mm:ss");
  EXPECT_EQ(s.shortTimeFormat, "hh:mm");
  EXPECT_EQ(s.timeAMString, "AM");
  EXPECT_EQ(s.timePMString, "PM");
  EXPECT_EQ(s.longMonthNames[0], "January");
  EXPECT_EQ(s.shortMonthNames[11], "Dec");
  EXPECT_EQ(s.longDayNames[0], "Sunday");
  EXPECT_EQ(s.shortDayNames[6], "Sat");
}

TEST(ReadUserLocaleTest, AnUnknownLocaleGivesTheFallbacks) {
  const LocaleSettings s = ReadUserLocale("xx_NOWHERE.bogus");
  const LocaleSettings fallback;
  EXPECT_EQ(s.decimalSeparator, fallback.decimalSeparator);
  EXPECT_EQ(s.shortDateFormat, "m/d/yy");
  EXPECT_EQ(s.longTimeFormat, "h:mm:ss");
  EXPECT_EQ(s.timeAMString, "am");
}

TEST(ReadUserLocaleTest, LeavesTheProcessLocaleAlone) {
  const std::string before = std::setlocale(LC_ALL, nullptr);
  ReadUserLocale("");
  ReadUserLocale("C.UTF-8");
  EXPECT_EQ(std::setlocale(LC_ALL, nullptr), before);
}

TEST(ReadUserLocaleTest, ACommaLocaleGivesItsSeparators) {
  for (const char* name : {"de_DE.UTF-8", "pl_PL.UTF-8", "de_DE", "pl_PL"}) {
    locale_t probe = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
    if (probe == static_cast<locale_t>(nullptr)) continue;
    freelocale(probe);
    const LocaleSettings s = ReadUserLocale(name);
    EXPECT_EQ(s.decimalSeparator, ',') << name;
    EXPECT_NE(s.thousandSeparator, ',') << name;
    EXPECT_EQ(s.dateSeparator, '.') << name;
    EXPECT_EQ(s.shortDateFormat, "dd/mm/yyyy") << name;
    EXPECT_EQ(s.longTimeFormat, "hh:mm:ss") << name;
    return;
  }
  GTEST_SKIP() << "no comma locale installed (see locale -a)";
}

TEST(CurrentLocaleTest, HoldsWhatWasInstalled) {
  const LocaleSettings saved = CurrentLocale();
  LocaleSettings comma;
  comma.decimalSeparator = ',';
  SetCurrentLocale(comma);
  EXPECT_EQ(CurrentLocale().decimalSeparator, ',');
  SetCurrentLocale(saved);
  EXPECT_EQ(CurrentLocale().decimalSeparator, saved.decimalSeparator);
}

}  // namespace
}  // namespace kolva::platform
