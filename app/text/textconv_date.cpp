// SPDX-License-Identifier: MIT
// DateText, TimeText and the date-time pictures behind them.
#include <array>
#include <string>
#include <utility>

#include "app/text/textconv.h"
#include "platform/locale_settings.h"

namespace kolva::app {
namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsAmPm(std::string_view s, std::size_t i) {
  static constexpr std::string_view kAmPm = "ampm";
  if (i + kAmPm.size() > s.size()) return false;
  for (std::size_t k = 0; k < kAmPm.size(); ++k)
    if (Lower(s[i + k]) != kAmPm[k]) return false;
  return true;
}

// Whether the picture asks for the AM/PM text anywhere outside quotes.
bool UsesTwelveHourClock(std::string_view picture) {
  for (std::size_t i = 0; i < picture.size(); ++i) {
    const char c = picture[i];
    if (c == '"' || c == '\'') {
      const std::size_t close = picture.find(c, i + 1);
      if (close == std::string_view::npos) return false;
      i = close;
    } else if (StartsAmPm(picture, i)) {
      return true;
    }
  }
  return false;
}

void AppendNumber(std::string& out, int value, int minDigits) {
  const std::string digits = IntText(value);
  if (static_cast<int>(digits.size()) < minDigits) out.append(minDigits - digits.size(), '0');
  out += digits;
}

// 0 = Sunday, for the proleptic Gregorian calendar.
int DayOfWeek(int year, int month, int day) {
  static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) --year;
  const int dow =
      (year + year / 4 - year / 100 + year / 400 + kOffsets[(month + 11) % 12] + day) % 7;
  return dow < 0 ? dow + 7 : dow;
}

int ClampIndex(int value, int size) {
  return value < 0 ? 0 : (value >= size ? size - 1 : value);
}

// Expands the picture element made of `run` repetitions of `letter`.
class PictureWriter {
 public:
  PictureWriter(const DateTime& t, bool twelveHour)
      : t_(t), twelveHour_(twelveHour), locale_(platform::CurrentLocale()) {}

  void Element(char letter, int run) {
    const bool minutesHere = letter == 'm' && afterHour_ && run <= 2;
    afterHour_ = letter == 'h';
    if (minutesHere || letter == 'n') return AppendNumber(out_, t_.minute, run >= 2 ? 2 : 1);
    switch (letter) {
      case 'd':
        if (run <= 2) return AppendNumber(out_, t_.day, run);
        return AppendName(run == 3 ? locale_.shortDayNames : locale_.longDayNames,
                          DayOfWeek(t_.year, t_.month, t_.day));
      case 'm':
        if (run <= 2) return AppendNumber(out_, t_.month, run);
        return AppendName(run == 3 ? locale_.shortMonthNames : locale_.longMonthNames,
                          t_.month - 1);
      case 'y':
        if (run <= 2) return AppendNumber(out_, ((t_.year % 100) + 100) % 100, 2);
        return AppendNumber(out_, t_.year, 4);
      case 'h':
        return AppendNumber(out_, twelveHour_ ? TwelveHour() : t_.hour, run >= 2 ? 2 : 1);
      case 's':
        return AppendNumber(out_, t_.second, run >= 2 ? 2 : 1);
    }
  }

  void AmPm() { out_ += t_.hour < 12 ? locale_.timeAMString : locale_.timePMString; }
  void DateSeparator() { out_ += locale_.dateSeparator; }
  void TimeSeparator() { out_ += locale_.timeSeparator; }
  void Literal(std::string_view text) { out_ += text; }
  std::string Take() { return std::move(out_); }

 private:
  int TwelveHour() const {
    const int h = t_.hour % 12;
    return h == 0 ? 12 : h;
  }

  template <std::size_t N>
  void AppendName(const std::array<std::string, N>& names, int index) {
    out_ += names[static_cast<std::size_t>(ClampIndex(index, static_cast<int>(N)))];
  }

  const DateTime& t_;
  bool twelveHour_;
  const platform::LocaleSettings& locale_;
  bool afterHour_ = false;
  std::string out_;
};

// The longest element a letter forms: dddd, mmmm, yyyy, hh, nn, ss.
int MaxRun(char letter) {
  return letter == 'd' || letter == 'm' || letter == 'y' ? 4 : 2;
}

}  // namespace

std::string DateTimePictureText(std::string_view picture, const DateTime& t) {
  PictureWriter writer(t, UsesTwelveHourClock(picture));
  for (std::size_t i = 0; i < picture.size(); ++i) {
    const char c = picture[i];
    const char letter = Lower(c);
    if (c == '"' || c == '\'') {
      std::size_t close = picture.find(c, i + 1);
      if (close == std::string_view::npos) close = picture.size();
      writer.Literal(picture.substr(i + 1, close - i - 1));
      i = close;
    } else if (StartsAmPm(picture, i)) {
      writer.AmPm();
      i += 3;
    } else if (letter == 'd' || letter == 'm' || letter == 'y' || letter == 'h' || letter == 'n' ||
               letter == 's') {
      int run = 1;
      while (run < MaxRun(letter) && i + run < picture.size() && Lower(picture[i + run]) == letter)
        ++run;
      writer.Element(letter, run);
      i += run - 1;
    } else if (c == '/') {
      writer.DateSeparator();
    } else if (c == ':') {
      writer.TimeSeparator();
    } else {
      writer.Literal(picture.substr(i, 1));
    }
  }
  return writer.Take();
}

std::string DateText(const DateTime& t) {
  return DateTimePictureText(platform::CurrentLocale().shortDateFormat, t);
}

std::string TimeText(const DateTime& t) {
  return DateTimePictureText(platform::CurrentLocale().longTimeFormat, t);
}

}  // namespace kolva::app
