// SPDX-License-Identifier: MIT
// FloatPatternText: picture patterns such as "#,##0.###" or "0.00E+00;(0.00)".
#include <cmath>
#include <string>
#include <vector>

#include "app/text/errors.h"
#include "app/text/textconv.h"
#include "app/text/textconv_digits.h"
#include "platform/locale_settings.h"

namespace kolva::app {
namespace {

constexpr std::size_t kMaxPatternLength = 224;
constexpr long double kPlainLimit = 1e18L;
constexpr int kMaxSections = 3;

enum class TokenKind { kLiteral, kIntDigit, kPoint, kFracDigit, kExponent };

struct Token {
  TokenKind kind;
  std::string_view text;  // literal text, or the exponent letter and sign
};

// One section of a picture, read once into tokens and the counts that the
// number's layout needs.
struct Section {
  std::vector<Token> tokens;
  int intPlaceholders = 0;
  int minInt = 0;  // integer digits always written: from the first "0" on
  int fracPlaceholders = 0;
  int minFrac = 0;  // decimals always written: up to the last "0"
  bool thousands = false;
  bool scientific = false;
  bool plusSign = false;
  int expDigits = 0;
};

// The number laid out for a section: integer digits, decimals and exponent.
struct Layout {
  std::string whole;
  std::string fraction;
  int exponent = 0;
  bool zero = false;  // nothing but zeros after rounding
};

// Splits at ";" outside quotes; a fourth and later sections are ignored.
std::vector<std::string_view> SplitSections(std::string_view pattern) {
  std::vector<std::string_view> sections;
  std::size_t start = 0;
  char quote = 0;
  for (std::size_t i = 0; i <= pattern.size(); ++i) {
    const char c = i < pattern.size() ? pattern[i] : ';';
    if (quote != 0) {
      if (c == quote) quote = 0;
      if (i < pattern.size()) continue;
    } else if (c == '"' || c == '\'') {
      quote = c;
      continue;
    }
    if (c != ';' && i < pattern.size()) continue;
    sections.push_back(pattern.substr(start, i - start));
    if (sections.size() == kMaxSections) break;
    start = i + 1;
  }
  return sections;
}

// "E+00": the letter, a sign and at least one "0". Returns the length, or 0.
std::size_t ExponentLength(std::string_view s, std::size_t i) {
  if (s[i] != 'E' && s[i] != 'e') return 0;
  if (i + 2 >= s.size() || (s[i + 1] != '+' && s[i + 1] != '-') || s[i + 2] != '0') return 0;
  std::size_t end = i + 2;
  while (end < s.size() && s[end] == '0') ++end;
  return end - i;
}

void ReadPlaceholder(Section& s, char c, bool afterPoint, int& firstZero) {
  if (afterPoint) {
    ++s.fracPlaceholders;
    if (c == '0') s.minFrac = s.fracPlaceholders;
    s.tokens.push_back({TokenKind::kFracDigit, {}});
    return;
  }
  if (c == '0' && firstZero < 0) firstZero = s.intPlaceholders;
  ++s.intPlaceholders;
  s.tokens.push_back({TokenKind::kIntDigit, {}});
}

Section ParseSection(std::string_view text) {
  Section s;
  bool afterPoint = false;
  int firstZero = -1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"' || c == '\'') {
      std::size_t close = text.find(c, i + 1);
      if (close == std::string_view::npos) close = text.size();
      s.tokens.push_back({TokenKind::kLiteral, text.substr(i + 1, close - i - 1)});
      i = close;
    } else if (s.scientific) {
      s.tokens.push_back({TokenKind::kLiteral, text.substr(i, 1)});
    } else if (c == '0' || c == '#') {
      ReadPlaceholder(s, c, afterPoint, firstZero);
    } else if (c == '.' && !afterPoint) {
      afterPoint = true;
      s.tokens.push_back({TokenKind::kPoint, {}});
    } else if (c == ',') {
      if (!afterPoint) s.thousands = true;
    } else if (const std::size_t length = ExponentLength(text, i); length != 0) {
      s.scientific = true;
      s.plusSign = text[i + 1] == '+';
      s.expDigits = static_cast<int>(length) - 2;
      s.tokens.push_back({TokenKind::kExponent, text.substr(i, 1)});
      i += length - 1;
    } else {
      s.tokens.push_back({TokenKind::kLiteral, text.substr(i, 1)});
    }
  }
  s.minInt = firstZero < 0 ? 0 : s.intPlaceholders - firstZero;
  return s;
}

Layout LayOut(const Section& s, long double magnitude) {
  Layout laid;
  textconv::DecimalDigits d = textconv::ToDecimal18(magnitude);
  if (s.scientific) {
    const int wholeCount = s.intPlaceholders + s.fracPlaceholders == 0 ? 1 : s.intPlaceholders;
    textconv::RoundAt(d, wholeCount + s.fracPlaceholders);
    laid.exponent = d.count == 0 ? 0 : d.exponent - wholeCount;
    for (int i = 0; i < wholeCount && d.count > 0; ++i) laid.whole += textconv::DigitAt(d, i);
    for (int k = 0; k < s.fracPlaceholders; ++k)
      laid.fraction += textconv::DigitAt(d, wholeCount + k);
  } else {
    textconv::RoundAt(d, d.exponent + s.fracPlaceholders);
    for (int i = 0; i < d.exponent && d.count > 0; ++i) laid.whole += textconv::DigitAt(d, i);
    for (int k = 0; k < s.fracPlaceholders; ++k)
      laid.fraction += textconv::DigitAt(d, d.exponent + k);
  }
  laid.zero = d.count == 0;
  if (static_cast<int>(laid.whole.size()) < s.minInt)
    laid.whole.insert(0, static_cast<std::size_t>(s.minInt) - laid.whole.size(), '0');
  while (static_cast<int>(laid.fraction.size()) > s.minFrac && laid.fraction.back() == '0')
    laid.fraction.pop_back();
  // "#" writes a digit only when it is significant, so zero under "#.##"
  // writes no digit at all; a section without placeholders (such as a quoted
  // text for zero) shows only its text.
  const bool hasPlaceholders = s.intPlaceholders + s.fracPlaceholders > 0 || s.scientific;
  if (!hasPlaceholders) laid.whole.clear();
  return laid;
}

// Writes a laid-out number through a section's tokens.
class Writer {
 public:
  Writer(const Section& s, const Layout& laid, const platform::LocaleSettings& locale)
      : s_(s), laid_(laid), locale_(locale) {}

  std::string Write() {
    const int wholeCount = static_cast<int>(laid_.whole.size());
    // Without integer placeholders the integer digits go where the point is,
    // or first when the section has neither (only an exponent).
    const bool hasPoint = HasToken(TokenKind::kPoint);
    if (s_.intPlaceholders == 0 && !hasPoint) WriteWhole(0, wholeCount);
    int placeholder = 0;
    std::size_t decimal = 0;
    for (const Token& token : s_.tokens) {
      switch (token.kind) {
        case TokenKind::kLiteral:
          out_ += token.text;
          break;
        case TokenKind::kIntDigit: {
          const int index = placeholder++ + wholeCount - s_.intPlaceholders;
          if (index >= 0) WriteWhole(placeholder == 1 ? 0 : index, index + 1);
          break;
        }
        case TokenKind::kPoint:
          if (s_.intPlaceholders == 0) WriteWhole(0, wholeCount);
          if (!laid_.fraction.empty()) out_ += locale_.decimalSeparator;
          break;
        case TokenKind::kFracDigit:
          if (decimal < laid_.fraction.size()) out_ += laid_.fraction[decimal];
          ++decimal;
          break;
        case TokenKind::kExponent:
          WriteExponent(token.text);
          break;
      }
    }
    return out_;
  }

 private:
  bool HasToken(TokenKind kind) const {
    for (const Token& token : s_.tokens)
      if (token.kind == kind) return true;
    return false;
  }

  void WriteWhole(int from, int to) {
    const int count = static_cast<int>(laid_.whole.size());
    const bool grouped = s_.thousands && !s_.scientific;  // a mantissa is never grouped
    for (int j = from; j < to; ++j) {
      out_ += laid_.whole[static_cast<std::size_t>(j)];
      const int remaining = count - 1 - j;
      if (grouped && remaining > 0 && remaining % 3 == 0) out_ += locale_.thousandSeparator;
    }
  }

  void WriteExponent(std::string_view letter) {
    out_ += letter;
    if (laid_.exponent < 0)
      out_ += '-';
    else if (s_.plusSign)
      out_ += '+';
    std::string digits = IntText(laid_.exponent < 0 ? -laid_.exponent : laid_.exponent);
    if (static_cast<int>(digits.size()) < s_.expDigits)
      out_.append(s_.expDigits - digits.size(), '0');
    out_ += digits;
  }

  const Section& s_;
  const Layout& laid_;
  const platform::LocaleSettings& locale_;
  std::string out_;
};

std::string WriteSection(const Section& s, const Layout& laid) {
  return Writer(s, laid, platform::CurrentLocale()).Write();
}

}  // namespace

std::string FloatPatternText(std::string_view pattern, long double value) {
  if (pattern.size() > kMaxPatternLength) throw ConvertError("Format string too long");
  if (pattern.empty() || !std::isfinite(value)) return FloatText(value);
  const std::vector<std::string_view> sections = SplitSections(pattern);
  const bool hasZeroSection = sections.size() == kMaxSections;
  std::string_view chosen = sections[0];
  bool minus = false;
  if (value == 0) {
    if (hasZeroSection) chosen = sections[2];
  } else if (value < 0) {
    if (sections.size() >= 2 && !sections[1].empty())
      chosen = sections[1];
    else
      minus = true;
  }
  if (chosen.empty()) return FloatText(value);
  const Section section = ParseSection(chosen);
  const long double magnitude = std::fabs(value);
  if (!section.scientific && magnitude >= kPlainLimit) return FloatText(value);
  const Layout laid = LayOut(section, magnitude);
  if (laid.zero && value != 0) {
    // Rounded away entirely: the zero section when there is one, and never
    // a "-" in front of a zero.
    if (hasZeroSection) {
      if (sections[2].empty()) return FloatText(value);
      const Section zero = ParseSection(sections[2]);
      return WriteSection(zero, LayOut(zero, 0));
    }
    minus = false;
  }
  return (minus ? "-" : "") + WriteSection(section, laid);
}

}  // namespace kolva::app
