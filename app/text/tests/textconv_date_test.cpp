// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "app/text/textconv.h"
#include "textconv_locale_fake.h"

namespace kolva::app {
namespace {

using testing::ScopedLocale;

platform::LocaleSettings Dotted24Hour() {
  platform::LocaleSettings settings;
  settings.dateSeparator = '.';
  settings.timeSeparator = ':';
  settings.shortDateFormat = "dd/mm/yyyy";
  settings.longTimeFormat = "hh:mm:ss";
  return settings;
}

platform::LocaleSettings Slashed12Hour() {
  platform::LocaleSettings settings;
  settings.shortDateFormat = "m/d/yy";
  settings.longTimeFormat = "h:mm:ss AMPM";
  settings.timeAMString = "AM";
  settings.timePMString = "PM";
  return settings;
}

TEST(DateTextTest, UsesTheShortDatePictureAndSeparator) {
  const DateTime t{2026, 3, 7, 9, 5, 4, 0};
  {
    ScopedLocale locale(Dotted24Hour());
    EXPECT_EQ(DateText(t), "07.03.2026");
    EXPECT_EQ(TimeText(t), "09:05:04");
  }
  ScopedLocale locale(Slashed12Hour());
  EXPECT_EQ(DateText(t), "3/7/26");
  EXPECT_EQ(TimeText(t), "9:05:04 AM");
}

TEST(TimeTextTest, TwelveHourClockAroundMidnightAndNoon) {
  ScopedLocale locale(Slashed12Hour());
  const struct {
    int hour;
    const char* text;
  } cases[] = {{0, "12:30:00 AM"}, {11, "11:30:00 AM"}, {12, "12:30:00 PM"}, {23, "11:30:00 PM"}};
  for (const auto& c : cases) EXPECT_EQ(TimeText({2026, 1, 1, c.hour, 30, 0, 0}), c.text);
}

TEST(DateTimePictureTextTest, ExpandsEveryElement) {
  ScopedLocale locale(Dotted24Hour());
  const DateTime t{2026, 12, 8, 18, 5, 7, 0};  // a Tuesday
  const struct {
    const char* picture;
    const char* text;
  } cases[] = {
      {"d dd ddd dddd", "8 08 Tue Tuesday"},
      {"m mm mmm mmmm", "12 12 Dec December"},
      {"yy yyyy", "26 2026"},
      {"h hh n nn s ss", "18 18 5 05 7 07"},
      {"hh:mm", "18:05"},         // m after an hour element is minutes
      {"h \"at\" m", "18 at 5"},  // also across literal text
      {"hh mm/dd", "18 05.08"},   // only the element right after the hour
      {"mm hh", "12 18"},
      {"hh AMPM", "06 pm"},  // fallback texts, and a 12-hour clock
      {"ampm h", "pm 6"},
      {"DD/MM/YYYY", "08.12.2026"},  // letters in either case
      {"'d' \"m\" x", "d m x"},
      {"dddd, mmmm d, yyyy", "Tuesday, December 8, 2026"},
  };
  for (const auto& c : cases) EXPECT_EQ(DateTimePictureText(c.picture, t), c.text) << c.picture;
}

TEST(DateTimePictureTextTest, DayNamesFollowTheCalendar) {
  ScopedLocale locale(Dotted24Hour());
  const struct {
    DateTime t;
    const char* day;
  } cases[] = {
      {{2000, 1, 1}, "Sat"},   {{2000, 2, 29}, "Tue"}, {{1900, 3, 1}, "Thu"},
      {{2026, 12, 31}, "Thu"}, {{2024, 3, 1}, "Fri"},  {{1899, 12, 30}, "Sat"},
  };
  for (const auto& c : cases) EXPECT_EQ(DateTimePictureText("ddd", c.t), c.day) << c.t.year;
}

}  // namespace
}  // namespace kolva::app
