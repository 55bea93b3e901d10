// SPDX-License-Identifier: MIT
#include "app/files/results_lines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "app/text/tests/textconv_locale_fake.h"

namespace kolva::app {
namespace {

// Random lines, most in the run's own form and many a little off it: signs,
// separators, digit counts around the block path's limits, other bytes,
// blanks, and both line ends.
class LineMaker {
 public:
  explicit LineMaker(unsigned seed) : random_(seed) {}

  std::string Line() {
    std::string line = Blanks(Pick(4) == 0 ? 3 : 0) + Digits(Pick(3) == 0 ? Pick(13) : 1 + Pick(8));
    for (int field = 0; field < 3; ++field) line += Blanks(1 + Pick(16)) + Number();
    line += Blanks(Pick(5) == 0 ? Pick(3) : 0);
    if (Pick(25) == 0) line.insert(Pick(line.size() + 1), 1, "e\t\r+x.,-"[Pick(8)]);
    return line + (Pick(3) == 0 ? "\n" : "\r\n");
  }

 private:
  std::size_t Pick(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
  }
  std::string Blanks(std::size_t n) { return std::string(n, ' '); }
  std::string Digits(std::size_t n) {
    std::string digits;
    for (std::size_t i = 0; i < n; ++i) digits += static_cast<char>('0' + Pick(10));
    return digits;
  }
  std::string Number() {
    const bool longForm = Pick(6) == 0;
    std::string number = Pick(3) == 0 ? "-" : "";
    number += Digits(longForm ? Pick(19) : Pick(6));
    if (Pick(4) != 0) number += Pick(2) == 0 ? "." : ",";
    number += Digits(longForm ? Pick(19) : Pick(5));
    if (Pick(40) == 0) number += "E" + Digits(1 + Pick(2));
    return number;
  }

  std::mt19937_64 random_;
};

bool SameBits(const ResultsReading& a, const ResultsReading& b) {
  return a.number == b.number && std::memcmp(&a.input1, &b.input1, sizeof a.input1) == 0 &&
         std::memcmp(&a.input2, &b.input2, sizeof a.input2) == 0 &&
         std::memcmp(&a.time, &b.time, 10) == 0;
}

using BlockReader = const char* (*)(const char*, const char*, ResultsReading*, std::size_t,
                                    std::size_t&);

// Both ways of reading a block: sixteen bytes at a time, and a whole line at
// once where this processor can.
std::vector<BlockReader> BlockReaders() {
  std::vector<BlockReader> readers{&ReadPlainLinesSixteen};
  if (WholeLinesAvailable()) readers.push_back(static_cast<BlockReader>(&ReadPlainLines));
  return readers;
}

// Every line the block path reads gives the reading the line reader gives,
// bit for bit, on either locale separator, whatever the number of lines
// asked for at once; a line it leaves is one the line reader decides. The
// columns hold the same readings.
TEST(ResultsLines, TheBlockPathReadsEveryLineAsTheLineReaderDoes) {
  for (BlockReader read : BlockReaders()) {
    for (char separator : {'.', ','}) {
      testing::ScopedLocale locale(testing::Separators(separator, ' '));
      LineMaker maker(20261209);
      std::vector<std::string> lines(60000);
      std::string block;
      for (std::string& line : lines) block += line = maker.Line();
      const std::size_t size = block.size();
      block.append(kPlainLinesSlack, '7');
      const char* p = block.data();
      const char* const end = p + size;
      std::vector<ResultsReading> fast(lines.size());
      std::vector<double> time(lines.size()), input1(lines.size()), input2(lines.size());
      std::size_t line = 0, left = 0;
      while (line < lines.size()) {
        const std::size_t max = std::min<std::size_t>(1 + line % 37, lines.size() - line);
        std::size_t count = 0, columns = 0;
        const char* stop = read(p, end, &fast[line], max, count);
        ASSERT_EQ(ReadPlainLines(p, end, {&time[line], &input1[line], &input2[line]}, max, columns),
                  stop);
        ASSERT_EQ(columns, count);
        for (std::size_t i = line; i < line + count; ++i) {
          std::string_view text(lines[i].data(), lines[i].size() - 1);
          if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
          ResultsReading plain;
          ASSERT_TRUE(ParseResultsLine(text, plain)) << lines[i];
          ASSERT_TRUE(SameBits(fast[i], plain)) << lines[i];
          ASSERT_EQ(time[i], static_cast<double>(plain.time)) << lines[i];
          ASSERT_EQ(input1[i], plain.input1) << lines[i];
          ASSERT_EQ(input2[i], plain.input2) << lines[i];
          p += lines[i].size();
        }
        ASSERT_EQ(stop, p);
        line += count;
        if (count < max) {
          // A line of another form: the line reader's to decide.
          p += lines[line++].size();
          ++left;
        }
      }
      EXPECT_GT(lines.size() - left, 30000u);
      EXPECT_GT(left, 5000u);
    }
  }
}

TEST(ResultsLines, ABlockStopsAtItsEndAtItsLimitAndAtALineOfAnotherForm) {
  const std::string lines =
      "0              0.000    -700.000         0\r\n"
      "1              13.194    -699.300         0.001\r\n"
      "2  1e1  2  3\n"
      "3  1  2  3\n";
  std::string block = lines + std::string(kPlainLinesSlack, ' ');
  std::vector<ResultsReading> out(4);
  std::size_t count = 0;
  const char* end = block.data() + lines.size();
  EXPECT_EQ(ReadPlainLines(block.data(), end, out.data(), 1, count),
            block.data() + lines.find('\n') + 1);
  EXPECT_EQ(count, 1u);
  const char* stop = ReadPlainLines(block.data(), end, out.data(), 4, count);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(out[1].number, 1u);
  EXPECT_EQ(out[1].input1, 13.194f);
  EXPECT_EQ(out[1].time, 0.001L);
  EXPECT_EQ(std::string(stop, 4), "2  1");
  EXPECT_EQ(ReadPlainLines(stop + 13, end, out.data(), 4, count), end);
  EXPECT_EQ(count, 1u);
}

// A line of 4096 bytes of text or more is left to the line reader (which
// refuses it), its CR LF or LF not counted; a shorter one is read, first in
// the block, inside it and last.
TEST(ResultsLines, ABlockReadsALineOfTextShorterThan4096BytesWhateverItsLineEnd) {
  const std::string shortLine = "1  2  3  4\r\n";
  for (BlockReader read : BlockReaders()) {
    for (std::size_t length = 4094; length <= 4097; ++length) {
      for (const std::string end : {"\n", "\r\n"}) {
        const std::string tail = "  1.5  -2.25  0.001";
        const std::string line = "7" + std::string(length - 1 - tail.size(), ' ') + tail + end;
        const struct {
          std::string text;
          std::size_t before;  // lines before the long one
          std::size_t lines;
        } places[] = {{line + shortLine, 0, 2},
                      {shortLine + line, 1, 2},
                      {shortLine + line + shortLine, 1, 3}};
        for (const auto& place : places) {
          std::string block = place.text + std::string(kPlainLinesSlack, ' ');
          const char* const blockEnd = block.data() + place.text.size();
          const bool reads = length < kMaxResultsLineBytes;
          ResultsReading out[3];
          std::size_t count = 0;
          const char* const stop = read(block.data(), blockEnd, out, 3, count);
          EXPECT_EQ(count, reads ? place.lines : place.before) << length << " " << end.size();
          EXPECT_EQ(stop, reads ? blockEnd : block.data() + place.before * shortLine.size());
          if (reads) {
            EXPECT_EQ(out[place.before].time, 0.001L);
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace kolva::app
