// SPDX-License-Identifier: MIT
#include "platform/locale_settings.h"

#include <langinfo.h>
#include <locale.h>

#include <cstddef>

namespace kolva::platform {
namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}

// Punctuation or a blank: the characters a locale puts between date fields.
bool IsSeparatorCandidate(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u >= 0x20 && u < 0x7F && !IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '%';
}

// Replaces the shorthand fields that stand for whole patterns.
std::string ExpandShorthands(std::string_view pattern, std::string_view amPmPattern) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != '%' || i + 1 >= pattern.size()) {
      out += pattern[i];
      continue;
    }
    const char f = pattern[++i];
    if (f == 'D')
      out += "%m/%d/%y";
    else if (f == 'F')
      out += "%Y-%m-%d";
    else if (f == 'T')
      out += "%H:%M:%S";
    else if (f == 'R')
      out += "%H:%M";
    else if (f == 'r')
      out += amPmPattern.empty() ? "%I:%M:%S %p" : std::string(amPmPattern);
    else
      out.append({'%', f});
  }
  return out;
}

// One strftime field: its conversion letter and whether a "-" flag asked for
// no padding. `next` is left on the last character of the field.
struct Field {
  char letter = 0;
  bool noPad = false;
};

Field ReadField(std::string_view p, std::size_t& next) {
  Field field;
  while (next < p.size() && (p[next] == '-' || p[next] == '_' || p[next] == '0' || p[next] == '^' ||
                             p[next] == '#' || p[next] == 'E' || p[next] == 'O')) {
    if (p[next] == '-' || p[next] == '_') field.noPad = true;
    ++next;
  }
  if (next < p.size()) field.letter = p[next];
  return field;
}

const char* DateFieldPicture(Field f) {
  switch (f.letter) {
    case 'd':
      return f.noPad ? "d" : "dd";
    case 'e':
      return "d";
    case 'm':
      return f.noPad ? "m" : "mm";
    case 'y':
      return "yy";
    case 'Y':
      return "yyyy";
    case 'b':
    case 'h':
      return "mmm";
    case 'B':
      return "mmmm";
    case 'a':
      return "ddd";
    case 'A':
      return "dddd";
    case '%':
      return "\"%\"";
    case 'n':
    case 't':
      return " ";
    default:
      return "";
  }
}

char FindDateSeparator(std::string_view p) {
  bool afterField = false;
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (p[i] == '%') {
      ++i;
      ReadField(p, i);
      afterField = true;
    } else if (afterField && IsSeparatorCandidate(p[i])) {
      return p[i];
    }
  }
  return '/';
}

// A literal character of the pattern, quoted when the picture would read it
// as a field or a separator.
void AppendLiteral(std::string& out, char c, char separator) {
  if (c == separator) {
    out += '/';
  } else if (IsAsciiLetter(c) || c == '/' || c == ':' || c == '"') {
    const char quote = c == '"' ? '\'' : '"';
    out.append({quote, c, quote});
  } else if (c == '\'') {
    out += "\"'\"";
  } else {
    out += c;
  }
}

// A single-byte separator, or a blank for the multi-byte no-break spaces
// that UTF-8 locales use between thousands; anything else keeps `fallback`.
char SeparatorChar(const std::string& item, char fallback, bool blankForNoBreak) {
  if (item.size() == 1) return item[0];
  if (blankForNoBreak && (item == "\xC2\xA0" || item == "\xE2\x80\xAF")) return ' ';
  return fallback;
}

LocaleSettings& Installed() {
  static LocaleSettings settings;
  return settings;
}

}  // namespace

DatePicture DatePictureFromStrftime(std::string_view pattern) {
  const std::string p = ExpandShorthands(pattern, {});
  DatePicture result;
  if (p.empty()) {
    result.picture = LocaleSettings{}.shortDateFormat;
    return result;
  }
  result.separator = FindDateSeparator(p);
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (p[i] == '%') {
      ++i;
      result.picture += DateFieldPicture(ReadField(p, i));
    } else {
      AppendLiteral(result.picture, p[i], result.separator);
    }
  }
  return result;
}

TimePictures TimePicturesFromStrftime(std::string_view pattern, std::string_view amPmPattern) {
  const std::string p = ExpandShorthands(pattern, amPmPattern);
  TimePictures result;
  std::size_t hourAt = std::string::npos, markerAt = std::string::npos;
  bool leadingZero = false, twelveHour = false;
  for (std::size_t i = 0; i < p.size(); ++i) {
    if (p[i] != '%') continue;
    const std::size_t start = i++;
    const Field f = ReadField(p, i);
    if (f.letter == 'p' || f.letter == 'P') {
      if (markerAt == std::string::npos) markerAt = start;
    } else if (hourAt == std::string::npos &&
               (f.letter == 'H' || f.letter == 'k' || f.letter == 'I' || f.letter == 'l')) {
      hourAt = start;
      leadingZero = (f.letter == 'H' || f.letter == 'I') && !f.noPad;
      twelveHour = f.letter == 'I' || f.letter == 'l';
      if (i + 1 < p.size() && IsSeparatorCandidate(p[i + 1]) && p[i + 1] != ' ')
        result.separator = p[i + 1];
    }
  }
  if (hourAt == std::string::npos) {
    const LocaleSettings fallback;
    result.longTime = fallback.longTimeFormat;
    result.shortTime = fallback.shortTimeFormat;
    return result;
  }
  std::string prefix, postfix;
  if (twelveHour) {
    if (markerAt != std::string::npos && markerAt < hourAt)
      prefix = "AMPM ";
    else
      postfix = " AMPM";
  }
  const std::string hour = leadingZero ? "hh" : "h";
  result.longTime = prefix + hour + ":mm:ss" + postfix;
  result.shortTime = prefix + hour + ":mm" + postfix;
  return result;
}

LocaleSettings ReadUserLocale(const char* name) {
  LocaleSettings s;
  locale_t loc = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
  if (loc == static_cast<locale_t>(nullptr)) return s;
  auto item = [loc](nl_item i) {
    const char* text = nl_langinfo_l(i, loc);
    return std::string(text ? text : "");
  };
  s.decimalSeparator = SeparatorChar(item(RADIXCHAR), s.decimalSeparator, false);
  s.thousandSeparator = SeparatorChar(item(THOUSEP), s.thousandSeparator, true);
  const DatePicture date = DatePictureFromStrftime(item(D_FMT));
  s.shortDateFormat = date.picture;
  s.dateSeparator = date.separator;
  const TimePictures time = TimePicturesFromStrftime(item(T_FMT), item(T_FMT_AMPM));
  s.longTimeFormat = time.longTime;
  s.shortTimeFormat = time.shortTime;
  s.timeSeparator = time.separator;
  if (const std::string am = item(AM_STR); !am.empty()) s.timeAMString = am;
  if (const std::string pm = item(PM_STR); !pm.empty()) s.timePMString = pm;
  for (int i = 0; i < 12; ++i) {
    if (std::string n = item(ABMON_1 + i); !n.empty()) s.shortMonthNames[i] = n;
    if (std::string n = item(MON_1 + i); !n.empty()) s.longMonthNames[i] = n;
  }
  for (int i = 0; i < 7; ++i) {
    if (std::string n = item(ABDAY_1 + i); !n.empty()) s.shortDayNames[i] = n;
    if (std::string n = item(DAY_1 + i); !n.empty()) s.longDayNames[i] = n;
  }
  freelocale(loc);
  return s;
}

const LocaleSettings& CurrentLocale() {
  return Installed();
}

void SetCurrentLocale(const LocaleSettings& settings) {
  Installed() = settings;
}

}  // namespace kolva::platform
