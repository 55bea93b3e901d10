// SPDX-License-Identifier: MIT
#include "app/files/results_lines.h"

#include <emmintrin.h>
#include <immintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/text/errors.h"
#include "app/text/textconv.h"
#include "app/text/textconv_digits.h"
#include "platform/locale_settings.h"

namespace kolva::app {
namespace {

constexpr int kMaxDigits = 19;  // an integer of 19 digits is exact in extended
constexpr int kMaxFastPower = textconv::kMaxExactPowerOfTen;
constexpr int kMaxPartDigits = 16;  // before or after the separator
constexpr int kMaxNumberDigits = 10;

constexpr double kPowersOfTenDouble[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

constexpr auto kPowersOfTenInt = [] {
  std::array<std::uint64_t, kMaxPartDigits + 1> powers{};
  powers[0] = 1;
  for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
  return powers;
}();

// --- one line at a time -----------------------------------------------

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A number the general parser must read (an exponent, more than 19 digits):
// the text with the locale's separator in place of the file's. Answers
// false when it does not convert.
bool SlowNumber(std::string_view token, long double& value) {
  std::string text(token);
  const char separator = platform::CurrentLocale().decimalSeparator;
  for (char& c : text)
    if (c == '.' || c == ',') c = separator;
  try {
    value = ParseFloat(text);
    return true;
  } catch (const ConvertError&) {
    return false;
  }
}

// Reads the number at p, up to the next blank or the end, with "." or ","
// as its separator. The plain forms the run writes take one exact division
// of the integer of their digits by a power of ten, the same single
// correctly rounded operation the general parser makes.
bool ReadNumber(const char*& p, const char* end, long double& value) {
  const char* start = p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  std::uint64_t mantissa = 0;
  int digits = 0;
  int decimals = -1;  // none until the separator
  for (; p < end && *p != ' '; ++p) {
    const char c = *p;
    if (IsDigit(c)) {
      mantissa = mantissa * 10 + static_cast<unsigned>(c - '0');
      ++digits;
      if (decimals >= 0) ++decimals;
    } else if ((c == '.' || c == ',') && decimals < 0) {
      decimals = 0;
    } else {
      digits = kMaxDigits + 1;  // anything else: the general parser decides
    }
  }
  if (p == start) return false;
  if (digits > kMaxDigits || decimals > kMaxFastPower || digits == 0)
    return SlowNumber(std::string_view(start, p - start), value);
  const auto m = static_cast<long double>(mantissa);
  value = decimals > 0 ? m / textconv::kPowersOfTen[decimals] : m;
  if (negative) value = -value;
  return true;
}

void SkipBlanks(const char*& p, const char* end) {
  while (p < end && *p == ' ') ++p;
}

// At least one blank, then the next field.
bool Separated(const char*& p, const char* end) {
  if (p >= end || *p != ' ') return false;
  SkipBlanks(p, end);
  return p < end;
}

// --- many lines at a time ----------------------------------------------

[[gnu::always_inline]] inline __m128i Load16(const char* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Bit i set where byte i of `bytes` is c.
[[gnu::always_inline]] inline unsigned Matches(__m128i bytes, char c) {
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(c))));
}

// The first byte from p on that is not a blank. The block ends in a line
// feed, so the search stops inside it.
[[gnu::always_inline]] inline const char* SkipBlankRun(const char* p) {
  for (;;) {
    const unsigned others = ~Matches(Load16(p), ' ') & 0xFFFFu;
    if (others != 0) return p + __builtin_ctz(others);
    p += 16;
  }
}

// The value of the n digits at p (1 <= n <= 8), eight bytes at once: the
// digits are moved to the top of the word, so the bytes below stand for
// leading zeros, and pairs, quads and octets are combined in turn.
[[gnu::always_inline]] inline std::uint64_t Load8(const char* p) {
  std::uint64_t v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

[[gnu::always_inline]] inline std::uint64_t EightDigitsValue(std::uint64_t v, int n) {
  v -= 0x3030303030303030u;
  v <<= 8 * (8 - n);
  v = (v * 10 + (v >> 8)) & 0x00FF00FF00FF00FFu;
  v = (v * 100 + (v >> 16)) & 0x0000FFFF0000FFFFu;
  return (v * 10000 + (v >> 32)) & 0xFFFFFFFFu;
}

[[gnu::always_inline]] inline std::uint64_t UpToEightDigits(const char* p, int n) {
  return EightDigitsValue(Load8(p), n);
}

// The value of the n digits at p (0 <= n <= 16).
[[gnu::always_inline]] inline std::uint64_t Digits(const char* p, int n) {
  if (n == 0) return 0;
  if (n <= 8) return UpToEightDigits(p, n);
  return UpToEightDigits(p, n - 8) * 100000000u + UpToEightDigits(p + n - 8, 8);
}

// A field: its length up to the blank, CR, LF or other control byte that
// ends it (16 or more: not a plain field), and which of its bytes are
// digits.
struct Field {
  int length = 0;
  unsigned digits = 0;
};

[[gnu::always_inline]] inline Field Scan(const char* p) {
  const __m128i bytes = Load16(p);
  const __m128i blank = _mm_set1_epi8(' ');
  const auto ends =
      static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(bytes, blank), blank)));
  Field field;
  field.length = ends == 0 ? 16 : __builtin_ctz(ends);
  const __m128i value = _mm_sub_epi8(bytes, _mm_set1_epi8('0'));
  const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(value, _mm_set1_epi8(9)), value);
  field.digits = static_cast<unsigned>(_mm_movemask_epi8(digit)) & ((1u << field.length) - 1);
  return field;
}

// The reading's number at p, digits only; null when it is not plain.
[[gnu::always_inline]] inline const char* PlainCount(const char* p, std::uint32_t& number) {
  const Field field = Scan(p);
  if (field.length == 0 || field.length > kMaxNumberDigits ||
      field.digits != (1u << field.length) - 1)
    return nullptr;
  const std::uint64_t value = Digits(p, field.length);
  if (value > 0xFFFFFFFFu) return nullptr;
  number = static_cast<std::uint32_t>(value);
  return p + field.length;
}

// A number in the plain form: the integer of its digits, how many of them
// follow the separator, and its sign.
struct Decimal {
  std::uint64_t mantissa = 0;
  int decimals = 0;
  bool negative = false;
};

// The number at p in the plain form; null when it is not plain.
[[gnu::always_inline]] inline const char* PlainNumber(const char* p, Decimal& number) {
  const Field field = Scan(p);
  if (field.length >= 16) return nullptr;
  number.negative = *p == '-';
  const int start = number.negative ? 1 : 0;
  unsigned others =
      ((1u << field.length) - 1) & ~field.digits & ~static_cast<unsigned>(number.negative);
  int separator = field.length;
  if (others != 0) {
    separator = __builtin_ctz(others);
    others &= others - 1;
    if (others != 0 || (p[separator] != '.' && p[separator] != ',')) return nullptr;
  }
  const int whole = separator - start;
  const int decimals = separator < field.length ? field.length - separator - 1 : 0;
  if (whole + decimals == 0 || whole + decimals > kMaxDigits) return nullptr;
  number.decimals = decimals;
  if (decimals > 0 && field.length - start <= 8) {
    // Eight bytes hold it all: the separator is squeezed out and the
    // digits read at once.
    const std::uint64_t v = Load8(p + start);
    const std::uint64_t low = v & ((std::uint64_t{1} << (8 * whole)) - 1);
    const std::uint64_t high = (v >> (8 * (whole + 1))) << (8 * whole);
    number.mantissa = EightDigitsValue(low | high, whole + decimals);
    return p + field.length;
  }
  number.mantissa = Digits(p + start, whole);
  if (decimals > 0)
    number.mantissa =
        number.mantissa * kPowersOfTenInt[decimals] + Digits(p + separator + 1, decimals);
  return p + field.length;
}

// The extended value the general line reader gives: the integer divided
// once by a power of ten.
[[gnu::always_inline]] inline long double Extended(const Decimal& number) {
  long double value = static_cast<long double>(number.mantissa);
  if (number.decimals > 0) value /= textconv::kPowersOfTen[number.decimals];
  return number.negative ? -value : value;
}

// The single that value rounds to, the same as Extended's rounded to
// single. With the integer below 2^53 and at most 8 decimals, the double
// quotient is exact or correctly rounded, and below 2^25 no value halfway
// between two singles lies within half a double's step of the exact value
// unless it is that value (its distance from one is at least
// 1 / (10^8 * 2^(25 - e)) for a value of exponent e, above 2^(e - 53)):
// so the double rounds to single as the extended does.
[[gnu::always_inline]] inline float Single(const Decimal& number) {
  constexpr std::uint64_t kExactInDouble = std::uint64_t{1} << 53;
  if (number.mantissa < kExactInDouble && number.decimals <= 8) {
    double value = static_cast<double>(number.mantissa);
    if (number.decimals > 0) value /= kPowersOfTenDouble[number.decimals];
    if (value < 33554432.0 || number.decimals == 0)
      return static_cast<float>(number.negative ? -value : value);
  }
  // At most 19 digits: far inside the single range.
  return static_cast<float>(Extended(number));
}

// One plain line at p; answers the start of the next, or null.
const char* PlainLine(const char* p, ResultsReading& reading) {
  Decimal in1, in2, time;
  p = PlainCount(SkipBlankRun(p), reading.number);
  if (p == nullptr || *p != ' ') return nullptr;
  p = PlainNumber(SkipBlankRun(p), in1);
  if (p == nullptr || *p != ' ') return nullptr;
  p = PlainNumber(SkipBlankRun(p), in2);
  if (p == nullptr || *p != ' ') return nullptr;
  p = PlainNumber(SkipBlankRun(p), time);
  if (p == nullptr) return nullptr;
  p = SkipBlankRun(p);
  if (*p == '\r') ++p;
  if (*p != '\n') return nullptr;
  reading.input1 = Single(in1);
  reading.input2 = Single(in2);
  reading.time = Extended(time);
  return p + 1;
}

// Whether the line from p to next (just past its line feed) is too long:
// its text, without CR LF or LF, kMaxResultsLineBytes bytes or more. The
// common short line is told by its length alone.
[[gnu::always_inline]] inline bool TooLong(const char* p, const char* next) {
  const auto bytes = static_cast<std::size_t>(next - p);
  if (bytes <= kMaxResultsLineBytes) return false;
  return bytes - 1 - (next[-2] == '\r') >= kMaxResultsLineBytes;
}

// --- a whole line at once ----------------------------------------------

// GCC 12's AVX-512 headers leave the unused lanes of some results
// undefined on purpose, and then warn of it.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// The instructions the whole-line steps use, which only some processors
// have: WholeLinesAvailable asks before any is run.
#define KOLVA_WHOLE_LINE_ISA "avx512f,avx512bw,avx512dq,avx512vbmi,avx512vbmi2,bmi,bmi2,popcnt"
#define KOLVA_WHOLE_LINE_TARGET __attribute__((target(KOLVA_WHOLE_LINE_ISA)))
#define KOLVA_WHOLE_LINE_STEP __attribute__((target(KOLVA_WHOLE_LINE_ISA), always_inline)) inline

// A line's four fields, each gathered right-aligned into a 16-byte lane of
// its own (zero before its first digit), and where the next line starts.
struct GatheredLine {
  __m512i fields;
  const char* next;
  std::uint32_t negative;  // byte k: 1 when field k has a "-"
};

// The fields of the line at p in the plain form, read from one 64-byte
// load; false when the line is longer, has a byte other than blanks,
// digits, "-", ".", "," and a CR before its LF, or is not four plain fields
// (PlainLine then decides it).
KOLVA_WHOLE_LINE_STEP bool GatherLine(const char* p, GatheredLine& line) {
  const __m512i bytes = _mm512_loadu_si512(p);
  const std::uint64_t feeds = _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8('\n'));
  if (feeds == 0) return false;
  const int length = __builtin_ctzll(feeds);  // at most 63
  std::uint64_t inside = (std::uint64_t{1} << length) - 1;
  const std::uint64_t digits =
      _mm512_cmple_epu8_mask(_mm512_sub_epi8(bytes, _mm512_set1_epi8('0')), _mm512_set1_epi8(9));
  const std::uint64_t blanks = _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(' '));
  const std::uint64_t minus = _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8('-')) & inside;
  const std::uint64_t points = _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8('.')) |
                               _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8(','));
  const std::uint64_t returns = _mm512_cmpeq_epi8_mask(bytes, _mm512_set1_epi8('\r')) & inside;
  if (returns != 0) {
    if (returns != inside - (inside >> 1)) return false;  // a CR right before the LF only
    inside >>= 1;
  }
  if ((inside & ~(digits | blanks | minus | points)) != 0) return false;
  const std::uint64_t text = inside & ~blanks;
  const std::uint64_t starts = text & ~(text << 1);
  const std::uint64_t lasts = text & ~(text >> 1);
  const std::uint64_t numbers = starts & (starts - 1);  // the starts after the count's
  // Four fields; a "-" only first in a number, a separator only in one;
  // each field ending in a digit, or in a separator after one.
  if (__builtin_popcountll(starts) != 4 || (minus & ~numbers) != 0 ||
      (points & ((numbers & -numbers) - 1)) != 0 ||
      (lasts & ~(digits | (points & (digits << 1)))) != 0)
    return false;

  const __m512i iota = _mm512_set_epi64(0x3F3E3D3C3B3A3938, 0x3736353433323130, 0x2F2E2D2C2B2A2928,
                                        0x2726252423222120, 0x1F1E1D1C1B1A1918, 0x1716151413121110,
                                        0x0F0E0D0C0B0A0908, 0x0706050403020100);
  const __m512i fieldStarts = _mm512_maskz_compress_epi8(starts, iota);
  const __m512i fieldLasts = _mm512_maskz_compress_epi8(lasts, iota);
  const __m512i signs =
      _mm512_maskz_compress_epi8(starts, _mm512_maskz_mov_epi8(minus, _mm512_set1_epi8(1)));
  // Each field's length less one, a byte each: under 15, and under 10 for
  // the count.
  const auto spans = static_cast<std::uint32_t>(
      _mm_cvtsi128_si32(_mm512_castsi512_si128(_mm512_sub_epi8(fieldLasts, fieldStarts))));
  if (((spans + 0x01010101u) & 0xF0F0F0F0u) != 0 || (spans & 0xFFu) >= kMaxNumberDigits)
    return false;

  // Lane k, byte i: the byte 15 - i places left of field k's last.
  const __m512i laneOf =
      _mm512_set_epi64(0x0303030303030303, 0x0303030303030303, 0x0202020202020202,
                       0x0202020202020202, 0x0101010101010101, 0x0101010101010101, 0, 0);
  const __m512i place = _mm512_set_epi64(0x0001020304050607, 0x08090A0B0C0D0E0F, 0x0001020304050607,
                                         0x08090A0B0C0D0E0F, 0x0001020304050607, 0x08090A0B0C0D0E0F,
                                         0x0001020304050607, 0x08090A0B0C0D0E0F);
  const __m512i index = _mm512_sub_epi8(_mm512_permutexvar_epi8(laneOf, fieldLasts), place);
  const __m512i firstOf = _mm512_permutexvar_epi8(laneOf, _mm512_add_epi8(fieldStarts, signs));
  line.fields = _mm512_maskz_permutexvar_epi8(_mm512_cmpge_epi8_mask(index, firstOf), index, bytes);
  line.negative = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm512_castsi512_si128(signs)));
  line.next = p + length + 1;
  return true;
}

// A line's fields as PlainLine reads them: the integers of their digits and
// where their separators are.
struct LineNumbers {
  std::uint64_t integers[8];  // field k's at 2k
  std::uint64_t separators;   // lane k: its bit i for a separator at byte i
};

// The integers of a gathered line's fields: the digits left of a separator
// moved one place right over it, and each lane's sixteen digits made into
// one number. False when a field has two separators.
KOLVA_WHOLE_LINE_STEP bool LineIntegers(const GatheredLine& line, LineNumbers& numbers) {
  const __m512i field = line.fields;
  numbers.separators = _mm512_cmpeq_epi8_mask(field, _mm512_set1_epi8('.')) |
                       _mm512_cmpeq_epi8_mask(field, _mm512_set1_epi8(','));
  const __m512i separator = _mm512_movm_epi8(numbers.separators);
  __m512i left = _mm512_or_si512(separator, _mm512_bsrli_epi128(separator, 1));
  left = _mm512_or_si512(left, _mm512_bsrli_epi128(left, 2));
  left = _mm512_or_si512(left, _mm512_bsrli_epi128(left, 4));
  left = _mm512_or_si512(left, _mm512_bsrli_epi128(left, 8));
  if (_mm512_test_epi8_mask(separator, _mm512_bsrli_epi128(left, 1)) != 0) return false;
  const __m512i packed =
      _mm512_mask_blend_epi8(_mm512_movepi8_mask(left), field, _mm512_bslli_epi128(field, 1));
  const __m512i digits =
      _mm512_maskz_sub_epi8(_mm512_test_epi8_mask(packed, packed), packed, _mm512_set1_epi8('0'));
  const __m512i pairs = _mm512_maddubs_epi16(digits, _mm512_set1_epi16(0x010A));
  const __m512i quads = _mm512_madd_epi16(pairs, _mm512_set1_epi32(0x00010064));
  const __m512i octets =
      _mm512_madd_epi16(_mm512_packus_epi32(quads, quads), _mm512_set1_epi32(0x00012710));
  _mm512_storeu_si512(numbers.integers,
                      _mm512_add_epi64(_mm512_mul_epu32(octets, _mm512_set1_epi64(100000000)),
                                       _mm512_srli_epi64(octets, 32)));
  return numbers.integers[0] <= 0xFFFFFFFFu;
}

// The reading from a line's integers, as PlainLine makes it.
[[gnu::always_inline]] inline ResultsReading WholeReading(const LineNumbers& numbers,
                                                          std::uint32_t negative) {
  const auto field = [&](int k) {
    const auto separator = static_cast<std::uint32_t>(numbers.separators >> (16 * k)) & 0xFFFFu;
    Decimal decimal;
    decimal.mantissa = numbers.integers[2 * k];
    decimal.decimals = separator == 0 ? 0 : 15 - __builtin_ctz(separator);
    decimal.negative = ((negative >> (8 * k)) & 1) != 0;
    return decimal;
  };
  ResultsReading reading;
  reading.number = static_cast<std::uint32_t>(numbers.integers[0]);
  reading.input1 = Single(field(1));
  reading.input2 = Single(field(2));
  reading.time = Extended(field(3));
  return reading;
}

// Lines a batch at a time: each step over the batch before the next, so
// that the processor overlaps the lines' long chains of work.
template <class Out>
KOLVA_WHOLE_LINE_TARGET const char* ReadWholeLines(const char* p, const char* end, const Out& out,
                                                   std::size_t max, std::size_t& count) {
  constexpr std::size_t kBatch = 16;
  GatheredLine lines[kBatch];
  LineNumbers numbers[kBatch];
  count = 0;
  while (count < max && p < end) {
    const std::size_t want = std::min(kBatch, max - count);
    std::size_t gathered = 0;
    for (const char* at = p; gathered < want && at < end && GatherLine(at, lines[gathered]);)
      at = lines[gathered++].next;
    std::size_t made = 0;
    while (made < gathered && LineIntegers(lines[made], numbers[made])) ++made;
    for (std::size_t i = 0; i < made; ++i)
      Put(out, count + i, WholeReading(numbers[i], lines[i].negative));
    if (made > 0) p = lines[made - 1].next;
    count += made;
    if (made == want || count == max || p >= end) continue;
    ResultsReading reading;
    const char* next = PlainLine(p, reading);
    if (next == nullptr || TooLong(p, next)) break;
    Put(out, count++, reading);
    p = next;
  }
  return p;
}

#undef KOLVA_WHOLE_LINE_STEP
#undef KOLVA_WHOLE_LINE_TARGET
#undef KOLVA_WHOLE_LINE_ISA

#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif

template <class Out>
const char* ReadSixteen(const char* p, const char* end, const Out& out, std::size_t max,
                        std::size_t& count) {
  count = 0;
  ResultsReading reading;
  while (count < max && p < end) {
    const char* next = PlainLine(p, reading);
    if (next == nullptr || TooLong(p, next)) break;
    Put(out, count++, reading);
    p = next;
  }
  return p;
}

}  // namespace

bool ParseResultsLine(std::string_view line, ResultsReading& reading) {
  const char* p = line.data();
  const char* end = p + line.size();
  SkipBlanks(p, end);
  std::uint64_t number = 0;
  const char* firstDigit = p;
  for (; p < end && IsDigit(*p) && p - firstDigit < 11; ++p) number = number * 10 + (*p - '0');
  if (p == firstDigit || number > 0xFFFFFFFFu) return false;
  long double in1 = 0, in2 = 0, time = 0;
  if (!Separated(p, end) || !ReadNumber(p, end, in1)) return false;
  if (!Separated(p, end) || !ReadNumber(p, end, in2)) return false;
  if (!Separated(p, end) || !ReadNumber(p, end, time)) return false;
  SkipBlanks(p, end);
  if (p != end) return false;
  // An input beyond the single range was never written by a run: the line
  // does not read (rather than the overflow error, which names no line).
  const auto input1 = static_cast<float>(in1);
  const auto input2 = static_cast<float>(in2);
  if (std::isinf(input1) || std::isinf(input2)) return false;
  reading.number = static_cast<std::uint32_t>(number);
  reading.input1 = input1;
  reading.input2 = input2;
  reading.time = time;
  return true;
}

bool WholeLinesAvailable() {
  static const bool available =
      __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
      __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512vbmi") &&
      __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi") &&
      __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
  return available;
}

const char* ReadPlainLines(const char* p, const char* end, ResultsReading* out, std::size_t max,
                           std::size_t& count) {
  if (WholeLinesAvailable()) return ReadWholeLines(p, end, out, max, count);
  return ReadSixteen(p, end, out, max, count);
}

const char* ReadPlainLines(const char* p, const char* end, const ResultsColumns& out,
                           std::size_t max, std::size_t& count) {
  if (WholeLinesAvailable()) return ReadWholeLines(p, end, out, max, count);
  return ReadSixteen(p, end, out, max, count);
}

const char* ReadPlainLinesSixteen(const char* p, const char* end, ResultsReading* out,
                                  std::size_t max, std::size_t& count) {
  return ReadSixteen(p, end, out, max, count);
}

}  // namespace kolva::app
