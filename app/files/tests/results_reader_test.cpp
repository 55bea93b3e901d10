// SPDX-License-Identifier: MIT
#include "app/files/results_reader.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <random>
#include <string>
#include <vector>

#include "app/text/checked_math.h"
#include "app/text/tests/textconv_locale_fake.h"
#include "app/text/textconv.h"
#include "results_file_lines.h"

namespace kolva::app {
namespace {

using testing::DataLineOf;
using testing::FileLines;
using testing::HeaderLines;
using testing::Nearest;

// --- the fast number path against the general parser ---------------------

TEST(ResultsLine, EveryValueEqualsTheGeneralParsersOnEitherSeparator) {
  std::mt19937_64 random(20261208);
  std::uniform_int_distribution<std::int64_t> mantissa(-99999999999, 99999999999);
  std::uniform_int_distribution<int> decimals(0, 9);
  for (char separator : {'.', ','}) {
    testing::ScopedLocale locale(testing::Separators(separator, ' '));
    for (int i = 0; i < 20000; ++i) {
      auto text = [&] {
        std::string digits = std::to_string(std::abs(mantissa(random)));
        const int d = std::min<int>(decimals(random), static_cast<int>(digits.size()) - 1);
        if (d > 0) digits.insert(digits.size() - d, 1, separator);
        return (i % 3 == 0 ? "-" : "") + digits;
      };
      const std::string a = text(), b = text(), t = text().substr(i % 3 == 0);
      ResultsReading r;
      ASSERT_TRUE(ParseResultsLine(std::to_string(i) + "  " + a + " " + b + "   " + t + " ", r));
      ASSERT_EQ(r.input1, StoreSingle(ParseFloat(a))) << a;
      ASSERT_EQ(r.input2, StoreSingle(ParseFloat(b))) << b;
      ASSERT_EQ(r.time, ParseFloat(t)) << t;
    }
  }
}

// --- files that do not read ----------------------------------------------

struct MalformedCase {
  const char* name;
  std::string text;
  std::string message;   // what the reader says (after the file's name)
  std::size_t readings;  // read before the line that failed
  bool notResults;       // raised as not a results file
};

const std::string kHeader = FileLines(HeaderLines("07/03/26", "23:59:59", "0.001", "1"));
const std::string kTwoLines = FileLines(
    {DataLineOf("0", "1.500", "-2.250", "0"), DataLineOf("1", "1.750", "-2.125", "0.001")});

class ResultsMalformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(ResultsMalformed, SaysWhichLineAndKeepsWhatCameBefore) {
  const MalformedCase& c = GetParam();
  const auto path = std::filesystem::temp_directory_path() /
                    ("kolva_malformed_" + std::to_string(::getpid()) + ".txt");
  std::ofstream(path, std::ios::binary) << c.text;
  const std::string name = path.filename().string();
  if (c.notResults) {
    try {
      ReadResultsFile(path.string());
      ADD_FAILURE() << "read as a results file";
    } catch (const ResultsFileError& e) {
      EXPECT_EQ(e.what(), name + " is not a results file: " + c.message);
    }
  } else {
    const ResultsFile file = ReadResultsFile(path.string());
    EXPECT_EQ(file.failure, name + ", " + c.message);
    ASSERT_EQ(file.readings.size(), c.readings);
    if (c.readings >= 2) {
      EXPECT_EQ(file.readings[1].input2, -2.125f);
    }
  }
  std::filesystem::remove(path);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ResultsMalformed,
    ::testing::Values(
        MalformedCase{"Empty", "", "the file is empty", 0, true},
        MalformedCase{"OtherText", "hello\r\nworld\r\n",
                      "line 1 should begin \"Date of the measurement - \", not \"hello\"", 0, true},
        MalformedCase{"HeaderCut", kHeader.substr(0, kHeader.find("Time between")),
                      "the file ends inside the header, after line 4", 0, true},
        MalformedCase{"ColumnsMissing", kHeader.substr(0, kHeader.find("NR of")) + "x\r\n \r\n",
                      "line 10 should begin \"NR of the sample    INP1     INP2     TIME "
                      "BASE\", not \"x\"",
                      0, true},
        MalformedCase{"BinaryHeader", std::string(5000, '\x01'),
                      "line 1: the line is too long to be a line of results", 0, true},
        MalformedCase{"PartialLastLine", kHeader + kTwoLines + "2              1.6",
                      "line 14: the file ends in the middle of this line", 2, false},
        MalformedCase{"TextLine", kHeader + kTwoLines + "abc\r\n" + kTwoLines,
                      "line 14: not a line of results: \"abc\"", 2, false},
        MalformedCase{"FieldMissing", kHeader + kTwoLines + "2    1.5    0.002\r\n",
                      "line 14: not a line of results: \"2    1.5    0.002\"", 2, false},
        MalformedCase{"TwoSeparators", kHeader + "0  1.2.3  4  0\r\n",
                      "line 12: not a line of results: \"0  1.2.3  4  0\"", 0, false},
        MalformedCase{"InputBeyondSingle", kHeader + kTwoLines + "2  1e39  0  0.002\r\n",
                      "line 14: not a line of results: \"2  1e39  0  0.002\"", 2, false},
        MalformedCase{"NumberTooLarge", kHeader + "4294967296  1  2  3\n",
                      "line 12: not a line of results: \"4294967296  1  2  3\"", 0, false},
        MalformedCase{"LongLineInside",
                      kHeader + kTwoLines + "2" + std::string(5000, ' ') + "1 2 3\r\n" + kTwoLines,
                      "line 14: the line is too long to be a line of results", 2, false},
        MalformedCase{"LongLine", kHeader + kTwoLines + std::string(5000, '7'),
                      "line 14: the line is too long to be a line of results", 2, false},
        // File bytes in a message never end it early, steer a terminal or
        // pass for a good line.
        MalformedCase{"NulInLine", kHeader + kTwoLines + std::string("2  1\0  2  3\r\n", 14),
                      "line 14: not a line of results: \"2  1\\x00  2  3\"", 2, false},
        MalformedCase{"CtrlZFirst",
                      kHeader + kTwoLines +
                          "\x1A"
                          "2  1  2  3\r\n",
                      "line 14: not a line of results: \"\\x1A"
                      "2  1  2  3\"",
                      2, false},
        MalformedCase{"BinaryLine", kHeader + "\x1B[2J\x9B\\" + std::string(70, '\xFF') + "\n",
                      "line 12: not a line of results: \"\\x1B[2J\\x9B\\\\" +
                          [] {
                            std::string shown;
                            for (int i = 0; i < 54; ++i) shown += "\\xFF";
                            return shown;
                          }() +
                          "...\"",
                      0, false},
        MalformedCase{"EscapeInHeader", "\x1B]0;owned\x07\r\n",
                      "line 1 should begin \"Date of the measurement - \", not "
                      "\"\\x1B]0;owned\\x07\"",
                      0, true},
        // A file whose lines end in CR alone says so, in the header or after.
        MalformedCase{"CrOnly",
                      [] {
                        std::string text = kHeader + kTwoLines;
                        std::erase(text, '\n');
                        return text;
                      }(),
                      "line 1: the lines end in CR only, not in CR LF or LF", 0, true},
        MalformedCase{"CrOnlyData", kHeader + "0  1  2  3\r1  1  2  3\r",
                      "line 12: the lines end in CR only, not in CR LF or LF", 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ResultsReader, ReadsLineFeedsEitherSeparatorAndExponentTimes) {
  const auto path =
      std::filesystem::temp_directory_path() / ("kolva_lf_" + std::to_string(::getpid()) + ".txt");
  std::ofstream(path, std::ios::binary)
      << kHeader << "0  1,5  -2.25  0\n1  8  -0,125  1E-5\r\n4294967295  0.001  2  1,5E20\n";
  const ResultsFile file = ReadResultsFile(path.string());
  std::filesystem::remove(path);
  EXPECT_EQ(file.failure, "");
  ASSERT_EQ(file.readings.size(), 3u);
  EXPECT_EQ(file.readings[0].input1, 1.5f);
  EXPECT_EQ(file.readings[1].input2, -0.125f);
  EXPECT_EQ(file.readings[1].time, Nearest<long double>("1E-5"));
  EXPECT_EQ(file.readings[2].number, 4294967295u);
  EXPECT_EQ(file.readings[2].time, 1.5e20L);
}

// A FIFO, a socket, a device or a folder is refused at once, never read: an
// open that waited for a FIFO's writer would hang the window. Should the
// open wait all the same, the test opens the writing end itself to end it.
TEST(ResultsReader, AnythingButARegularFileIsAccessDeniedAtOnce) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("kolva_kinds_" + std::to_string(::getpid()));
  std::filesystem::create_directory(folder);
  const std::string fifo = (folder / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string socket = (folder / "socket").string();
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socket.copy(address.sun_path, sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  for (const std::string& path : {fifo, socket, std::string("/dev/zero"), folder.string()}) {
    auto opened = std::async(std::launch::async, [&path]() -> std::string {
      try {
        ResultsReader reader(path);
        return "read as a results file";
      } catch (const IoError& e) {
        return std::to_string(e.Code()) + " " + e.what();
      } catch (const std::exception& e) {
        return e.what();
      }
    });
    if (opened.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
      ADD_FAILURE() << path << ": the open waits";
      ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));
    }
    EXPECT_EQ(opened.get(), "5 File access denied") << path;
  }
  ::close(listener);
  std::filesystem::remove_all(folder);
}

TEST(ResultsReader, AMissingFileIsTheFileError) {
  try {
    ResultsReader reader("/nonexistent-kolva/results.txt");
    ADD_FAILURE();
  } catch (const IoError& e) {
    EXPECT_EQ(e.Code(), 2);
  }
}

// --- the line-length limit ----------------------------------------------

// A data line of `length` bytes of text (its number, blanks, the three
// values) and the line end `end`.
std::string LineOfLength(std::size_t number, std::size_t length, const std::string& end) {
  const std::string head = std::to_string(number), tail = " 1.5 -2.25 0.001";
  return head + std::string(length - head.size() - tail.size(), ' ') + tail + end;
}

// A line of 4096 bytes of text or more is too long, its CR LF or LF not
// counted, whether the line is read from the buffer's block of lines or the
// line at a time, wherever the block read from disk ends around it and
// wherever a slice begins or ends in or near it.
TEST(ResultsReader, ALineOf4096BytesOrMoreIsTooLongWhateverItsLineEndAndPlace) {
  constexpr std::uint64_t kBlockEnd = (1u << 20) + 4096;  // of the first read from disk
  const auto path = std::filesystem::temp_directory_path() /
                    ("kolva_length_" + std::to_string(::getpid()) + ".txt");
  for (std::size_t length = 4094; length <= 4097; ++length) {
    for (const std::string end : {"\n", "\r\n"}) {
      const std::size_t size = length + end.size();
      const auto lateStart = static_cast<std::int64_t>(size + 2);  // the line begins past it
      // Where the long line's line feed lies, against the first block's end.
      for (const std::int64_t lf :
           {-static_cast<std::int64_t>(kBlockEnd) + 9000, std::int64_t{-2000}, std::int64_t{-2},
            std::int64_t{-1}, std::int64_t{0}, std::int64_t{1}, std::int64_t{2}, lateStart}) {
        const std::uint64_t start = kBlockEnd + lf + 1 - size;
        std::string text = kHeader;
        std::size_t count = 0;
        while (start - text.size() >= 128) text += LineOfLength(count++, 62, "\r\n");
        text += LineOfLength(count++, start - text.size() - 2, "\r\n");
        text += LineOfLength(count, length, end) + LineOfLength(count + 1, 30, "\n");
        std::ofstream(path, std::ios::binary) << text;
        const bool reads = length < 4096;
        const std::string where = std::to_string(length) + (end.size() == 1 ? " LF" : " CR LF") +
                                  " ending at " + std::to_string(start + size);

        const ResultsFile whole = ReadResultsFile(path.string());
        EXPECT_EQ(whole.readings.size(), count + (reads ? 2 : 0)) << where;
        EXPECT_EQ(whole.failure, reads ? ""
                                       : path.filename().string() + ", line " +
                                             std::to_string(12 + count) +
                                             ": the line is too long to be a line of results")
            << where;
        // Two slices that meet in or beside the long line read as the whole.
        ResultsReader first(path.string());
        for (const std::uint64_t cut : {start - 1, start, start + 1, start + size / 2,
                                        start + size - 2, start + size - 1, start + size}) {
          std::vector<ResultsReading> readings;
          std::string failure;
          const std::pair<std::uint64_t, std::uint64_t> slices[] = {{first.BytesRead(), cut},
                                                                    {cut, UINT64_MAX}};
          for (const auto& [from, to] : slices) {
            const auto slice = first.Twin();
            slice->SetSlice(from, to);
            const std::uint64_t before = 11 + readings.size();
            while (slice->Read(readings, 1000)) {
            }
            if (!slice->FailureWhy().empty() && failure.empty())
              failure = ResultsReader::FailureText(slice->Name(), before + slice->LineNumber(),
                                                   slice->FailureWhy());
            if (!failure.empty()) break;
          }
          EXPECT_EQ(failure, whole.failure) << where << ", cut at " << cut;
          EXPECT_EQ(readings.size(), whole.readings.size()) << where << ", cut at " << cut;
        }
      }
    }
  }
  std::filesystem::remove(path);
}

// --- slices for several threads -----------------------------------------

// Slices cut anywhere (inside lines, at line starts, at and past the end)
// deliver every line once, in order, as the whole file reads; a line that
// does not read is named by the slice that holds it as by the whole file.
TEST(ResultsReader, SlicesCutAnywhereReadAsTheWholeFile) {
  std::string text = kHeader;
  for (int i = 0; i < 3000; ++i) {
    text += DataLineOf(std::to_string(i), std::to_string(i % 97) + ".25", "-1,5",
                       i % 50 == 0 ? "1E-3" : std::to_string(i) + ".001");
    text += i % 7 == 0 ? "\n" : "\r\n";
  }
  const auto path = std::filesystem::temp_directory_path() /
                    ("kolva_slices_" + std::to_string(::getpid()) + ".txt");
  for (const bool bad : {false, true}) {
    std::string file = text;
    if (bad) file.insert(file.find("2345 "), "x\r\n");
    std::ofstream(path, std::ios::binary) << file;
    const ResultsFile whole = ReadResultsFile(path.string());
    ResultsReader first(path.string());
    std::mt19937 random(bad ? 7 : 8);
    for (int round = 0; round < 20; ++round) {
      std::vector<std::uint64_t> cuts{first.BytesRead(), UINT64_MAX};
      for (int i = 0; i < 1 + round; ++i)
        cuts.push_back(
            std::uniform_int_distribution<std::uint64_t>(cuts[0], file.size() + 9)(random));
      std::sort(cuts.begin(), cuts.end());
      std::vector<ResultsReading> readings;
      std::string failure;
      for (std::size_t s = 0; s + 1 < cuts.size() && failure.empty(); ++s) {
        const auto reader = first.Twin();
        reader->SetSlice(cuts[s], cuts[s + 1]);
        const std::uint64_t before = 11 + readings.size();
        while (reader->Read(readings, 100)) {
        }
        if (!reader->FailureWhy().empty())
          failure = ResultsReader::FailureText(reader->Name(), before + reader->LineNumber(),
                                               reader->FailureWhy());
      }
      EXPECT_EQ(failure, whole.failure);
      ASSERT_EQ(readings.size(), whole.readings.size());
      for (std::size_t i = 0; i < readings.size(); ++i) {
        ASSERT_EQ(readings[i].number, whole.readings[i].number);
        ASSERT_EQ(readings[i].time, whole.readings[i].time);
      }
    }
    EXPECT_EQ(whole.failure.empty(), !bad);
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace kolva::app
