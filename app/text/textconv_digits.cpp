// SPDX-License-Identifier: MIT
#include "app/text/textconv_digits.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace kolva::app::textconv {
namespace {

static_assert(std::numeric_limits<long double>::digits == 64,
              "the conversions expect the x87 extended format");

using U128 = unsigned __int128;

constexpr int kKept = 18;
constexpr std::uint64_t kTen19 = 10000000000000000000ULL;
constexpr std::uint32_t kTen9 = 1000000000U;
constexpr std::uint32_t kFive13 = 1220703125U;  // the largest power of 5 below 2^32

// The value as mantissa x 2^exp2, the mantissa's trailing zero bits moved into
// the exponent so that short (single) mantissas take the fast paths.
struct Binary {
  std::uint64_t mantissa = 0;
  int exp2 = 0;
  bool negative = false;
};

Binary Unpack(long double value) {
  unsigned char bytes[sizeof(long double)];
  std::memcpy(bytes, &value, sizeof bytes);
  Binary b;
  std::uint16_t signExp = 0;
  std::memcpy(&b.mantissa, bytes, 8);
  std::memcpy(&signExp, bytes + 8, 2);
  b.negative = (signExp & 0x8000) != 0;
  const int biased = signExp & 0x7FFF;
  b.exp2 = (biased == 0 ? 1 : biased) - 16383 - 63;
  if (b.mantissa != 0) {
    const int zeros = __builtin_ctzll(b.mantissa);
    b.mantissa >>= zeros;
    b.exp2 += zeros;
  }
  return b;
}

// Adds one unit in the last held digit; trailing nines become dropped zeros.
void Increment(DecimalDigits& d) {
  int i = d.count - 1;
  while (i >= 0 && d.digits[i] == '9') --i;
  if (i < 0) {
    d.digits[0] = '1';
    d.count = 1;
    ++d.exponent;
    return;
  }
  ++d.digits[i];
  d.count = i + 1;
}

// Gathers significant digits: 19 are kept (18 and the rounding digit), and
// whether anything non-zero follows them.
class Collector {
 public:
  void Push(char c) {
    if (count_ < kKept + 1)
      buf_[count_++] = c;
    else if (c != '0')
      sticky_ = true;
  }
  void MarkSticky() { sticky_ = true; }
  bool Full() const { return count_ == kKept + 1; }

  DecimalDigits Finish(int exponent, bool negative) const {
    DecimalDigits d;
    d.exponent = exponent;
    d.negative = negative;
    d.count = count_ < kKept ? count_ : kKept;
    std::memcpy(d.digits, buf_, d.count);
    if (count_ <= kKept) return d;
    const char next = buf_[kKept];
    const bool odd = ((buf_[kKept - 1] - '0') & 1) != 0;
    if (next > '5' || (next == '5' && (sticky_ || odd))) Increment(d);
    return d;
  }

 private:
  char buf_[kKept + 1];
  int count_ = 0;
  bool sticky_ = false;
};

// Writes the decimal digits of v ending just before `end`; returns the start.
char* WriteUnsigned(std::uint64_t v, char* end) {
  do {
    *--end = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  return end;
}

// Integers below 2^128.
DecimalDigits FromInteger(U128 n, bool negative) {
  char buf[48];
  char* end = buf + sizeof buf;
  char* p = end;
  while (n > std::numeric_limits<std::uint64_t>::max()) {
    const auto low = static_cast<std::uint64_t>(n % kTen19);
    n /= kTen19;
    char* start = WriteUnsigned(low, p);
    while (p - start < 19) *--start = '0';
    p = start;
  }
  p = WriteUnsigned(static_cast<std::uint64_t>(n), p);
  Collector c;
  for (const char* q = p; q != end; ++q) c.Push(*q);
  return c.Finish(static_cast<int>(end - p), negative);
}

// mantissa / 2^shift for shifts up to 124, so ten times the fraction still
// fits in 128 bits. Digits are made one at a time and only as far as needed.
DecimalDigits FromFraction(std::uint64_t mantissa, int shift, bool negative) {
  const std::uint64_t whole = shift < 64 ? mantissa >> shift : 0;
  const U128 mask = (U128{1} << shift) - 1;
  U128 fraction = U128{mantissa} & mask;
  Collector c;
  int exponent = 0;
  if (whole != 0) {
    char buf[24];
    char* end = buf + sizeof buf;
    const char* p = WriteUnsigned(whole, end);
    exponent = static_cast<int>(end - p);
    for (; p != end; ++p) c.Push(*p);
  }
  bool leading = whole == 0;
  while (fraction != 0 && !c.Full()) {
    fraction *= 10;
    const char digit = static_cast<char>('0' + static_cast<int>(fraction >> shift));
    fraction &= mask;
    if (leading && digit == '0') {
      --exponent;
      continue;
    }
    leading = false;
    c.Push(digit);
  }
  if (fraction != 0) c.MarkSticky();
  return c.Finish(exponent, negative);
}

// Little-endian base-2^32 integers for the values outside the fast paths.
using Big = std::vector<std::uint32_t>;

void MultiplySmall(Big& n, std::uint32_t factor) {
  std::uint64_t carry = 0;
  for (auto& limb : n) {
    const std::uint64_t product = std::uint64_t{limb} * factor + carry;
    limb = static_cast<std::uint32_t>(product);
    carry = product >> 32;
  }
  if (carry != 0) n.push_back(static_cast<std::uint32_t>(carry));
}

std::uint32_t DivideSmall(Big& n, std::uint32_t divisor) {
  std::uint64_t rest = 0;
  for (auto it = n.rbegin(); it != n.rend(); ++it) {
    const std::uint64_t current = (rest << 32) | *it;
    *it = static_cast<std::uint32_t>(current / divisor);
    rest = current % divisor;
  }
  while (!n.empty() && n.back() == 0) n.pop_back();
  return static_cast<std::uint32_t>(rest);
}

// mantissa x 2^exp2 exactly: the integer mantissa x 2^exp2 or mantissa x 5^s
// with the point moved s places.
DecimalDigits FromBig(const Binary& b) {
  Big n{static_cast<std::uint32_t>(b.mantissa), static_cast<std::uint32_t>(b.mantissa >> 32)};
  int pointShift = 0;
  if (b.exp2 >= 0) {
    n.insert(n.begin(), static_cast<std::size_t>(b.exp2 / 32), 0U);
    MultiplySmall(n, 1U << (b.exp2 % 32));
  } else {
    pointShift = -b.exp2;
    int fives = pointShift;
    for (; fives >= 13; fives -= 13) MultiplySmall(n, kFive13);
    for (; fives > 0; --fives) MultiplySmall(n, 5);
  }
  while (!n.empty() && n.back() == 0) n.pop_back();
  std::vector<std::uint32_t> chunks;  // base 10^9, least significant first
  while (!n.empty()) chunks.push_back(DivideSmall(n, kTen9));
  std::string text;
  char buf[12];
  char* end = buf + sizeof buf;
  text.append(WriteUnsigned(chunks.back(), end), end);
  for (auto it = chunks.rbegin() + 1; it != chunks.rend(); ++it) {
    char* start = WriteUnsigned(*it, end);
    while (end - start < 9) *--start = '0';
    text.append(start, end);
  }
  Collector c;
  for (char digit : text) c.Push(digit);
  return c.Finish(static_cast<int>(text.size()) - pointShift, b.negative);
}

}  // namespace

DecimalDigits ToDecimal18(long double value) {
  const Binary b = Unpack(value);
  if (b.mantissa == 0) {
    DecimalDigits zero;
    zero.negative = b.negative;
    return zero;
  }
  const int bits = 64 - __builtin_clzll(b.mantissa);
  if (b.exp2 >= 0 && bits + b.exp2 <= 128)
    return FromInteger(U128{b.mantissa} << b.exp2, b.negative);
  if (b.exp2 < 0 && -b.exp2 <= 124) return FromFraction(b.mantissa, -b.exp2, b.negative);
  return FromBig(b);
}

void RoundAt(DecimalDigits& d, int keep) {
  if (keep >= d.count) return;
  if (keep < 0) {
    d.count = 0;
    return;
  }
  const bool up = d.digits[keep] >= '5';
  d.count = keep;
  if (up) Increment(d);
}

const char* NonFiniteText(long double value) {
  if (value != value) return "NAN";
  if (value == std::numeric_limits<long double>::infinity()) return "INF";
  if (value == -std::numeric_limits<long double>::infinity()) return "-INF";
  return nullptr;
}

void StripTrailingZeros(DecimalDigits& d) {
  while (d.count > 0 && d.digits[d.count - 1] == '0') --d.count;
}

}  // namespace kolva::app::textconv
