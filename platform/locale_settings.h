// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace kolva::platform {

// The user's number, date and time conventions, read once at start-up. A
// default-constructed value holds the fallbacks used for every item the
// platform leaves empty. Date and time pictures use the program's own
// notation (d, dd, m, mm, yy, yyyy, h, hh, nn, ss, "AMPM"; "/" stands for the
// date separator and ":" for the time separator).
struct LocaleSettings {
  char decimalSeparator = '.';
  char thousandSeparator = ',';
  char dateSeparator = '/';
  char timeSeparator = ':';
  std::string shortDateFormat = "m/d/yy";
  std::string longDateFormat = "mmmm d, yyyy";
  std::string timeAMString = "am";
  std::string timePMString = "pm";
  std::string shortTimeFormat = "h:mm";
  std::string longTimeFormat = "h:mm:ss";
  // Month names January first, day names Sunday first.
  std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 12> longMonthNames{"January",   "February", "March",    "April",
                                             "May",       "June",     "July",     "August",
                                             "September", "October",  "November", "December"};
  std::array<std::string, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 7> longDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                          "Thursday", "Friday", "Saturday"};
};

// A short date picture and its separator, converted from a strftime pattern.
struct DatePicture {
  std::string picture;
  char separator = '/';
};

// The time pictures built from a strftime time pattern: prefix + hour format
// + ":mm:ss" + postfix for the long one, the same with ":mm" for the short.
struct TimePictures {
  std::string longTime;
  std::string shortTime;
  char separator = ':';
};

// Converts a strftime date pattern ("%d.%m.%Y", "%m/%d/%y", "%Y-%m-%d") into
// the picture notation. The first punctuation or blank after a field is the
// date separator and becomes "/" everywhere; letters and other picture
// characters in the pattern's literal text are quoted. An empty pattern gives
// the fallback picture.
DatePicture DatePictureFromStrftime(std::string_view pattern);

// Converts a strftime time pattern ("%H:%M:%S", "%I:%M:%S %p", "%r" with
// `amPmPattern` as its expansion). %H and %I give "hh", %k and %l give "h";
// a 12-hour field puts "AMPM " in front when %p comes before the hour and
// " AMPM" behind otherwise. An empty pattern gives the fallbacks.
TimePictures TimePicturesFromStrftime(std::string_view pattern, std::string_view amPmPattern);

// Reads the named locale ("" = the user's, from the environment) without
// touching the process's global locale. Items the locale lacks, or a locale
// that cannot be opened, give the fallbacks.
LocaleSettings ReadUserLocale(const char* name = "");

// The settings every text conversion uses. They start as the fallbacks; the
// program installs ReadUserLocale() once at start, tests install their own.
const LocaleSettings& CurrentLocale();
void SetCurrentLocale(const LocaleSettings& settings);

}  // namespace kolva::platform
