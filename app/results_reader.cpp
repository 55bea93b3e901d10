// SPDX-License-Identifier: MIT
#include "app/results_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "app/results_lines.h"
#include "app/text_file.h"
#include "app/textconv.h"
#include "app/textconv_digits.h"
#include "platform/locale_settings.h"

namespace kolva::app {
namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
// Longer lines are not results lines; a file without line ends (a binary
// file, say) stops there instead of filling memory.
constexpr std::size_t kMaxLineBytes = 4096;
constexpr std::size_t kShownLineChars = 60;
constexpr int kMaxFastDigits = 19;  // an integer of 19 digits is exact in extended
constexpr int kMaxFastPower = textconv::kMaxExactPowerOfTen;
constexpr int kHeaderLines = 11;

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
      digits = kMaxFastDigits + 1;  // anything else: the general parser decides
    }
  }
  if (p == start) return false;
  if (digits > kMaxFastDigits || decimals > kMaxFastPower || digits == 0)
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

std::string Quoted(std::string_view line) {
  if (line.size() > kShownLineChars)
    return "\"" + std::string(line.substr(0, kShownLineChars)) + "...\"";
  return "\"" + std::string(line) + "\"";
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
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

ResultsReader::ResultsReader(const std::string& path) : name_(BaseName(path)) {
  do {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) throw IoErrorFromErrno(errno);
  struct stat info {};
  if (::fstat(fd_, &info) == 0) size_ = static_cast<std::uint64_t>(info.st_size);
  if (S_ISDIR(info.st_mode)) {
    ::close(fd_);
    throw IoErrorFromErrno(EISDIR);
  }
  buffer_.resize(kBlockBytes + kMaxLineBytes + kPlainLinesSlack);
  try {
    ReadHeader();
  } catch (...) {
    ::close(fd_);
    throw;
  }
}

ResultsReader::~ResultsReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool ResultsReader::Fill() {
  if (eof_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  linesEnd_ = 0;
  ssize_t got;
  do {
    got = ::read(fd_, buffer_.data() + end_, buffer_.size() - kPlainLinesSlack - end_);
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw IoErrorFromErrno(errno);
  if (got == 0) eof_ = true;
  end_ += static_cast<std::size_t>(got);
  return got > 0;
}

// The next whole line without its CR LF or LF. False at the end of the file
// and at a line the file ends inside or that is too long (Failure() says).
bool ResultsReader::NextLine(std::string_view& line) {
  for (;;) {
    const char* from = buffer_.data() + begin_;
    const auto* lf = static_cast<const char*>(std::memchr(from, '\n', end_ - begin_));
    if (lf != nullptr) {
      std::size_t length = static_cast<std::size_t>(lf - from);
      consumed_ += length + 1;
      begin_ += length + 1;
      ++lineNumber_;
      if (length > 0 && from[length - 1] == '\r') --length;
      line = std::string_view(from, length);
      return true;
    }
    if (end_ - begin_ >= kMaxLineBytes) {
      ++lineNumber_;
      Fail("the line is too long to be a line of results");
      return false;
    }
    if (!Fill()) {
      if (begin_ == end_) return false;
      ++lineNumber_;
      Fail("the file ends in the middle of this line");
      return false;
    }
  }
}

void ResultsReader::Fail(const std::string& why) {
  why_ = why;
  failure_ = name_ + ", line " + std::to_string(lineNumber_) + ": " + why;
  done_ = true;
}

std::string ResultsReader::HeaderEnd() const {
  if (!why_.empty()) return "line " + std::to_string(lineNumber_) + ": " + why_;
  if (lineNumber_ == 0) return "the file is empty";
  return "the file ends inside the header, after line " + std::to_string(lineNumber_);
}

void ResultsReader::ReadHeader() {
  struct Expected {
    const char* text;
    std::string* rest;  // the text after the prefix, or null for a whole line
  };
  const std::array<Expected, kHeaderLines> lines{{
      {"Date of the measurement - ", &header_.date},
      {"Time of the measurement - ", &header_.time},
      {" ", nullptr},
      {" ", nullptr},
      {"Time between samples in seconds - ", &header_.interval},
      {" ", nullptr},
      {"Measurement lenth in minutes - ", &header_.length},
      {" ", nullptr},
      {" ", nullptr},
      {"NR of the sample    INP1     INP2     TIME BASE", nullptr},
      {" ", nullptr},
  }};
  for (const Expected& expected : lines) {
    std::string_view line;
    if (!NextLine(line)) throw ResultsFileError(name_ + " is not a results file: " + HeaderEnd());
    const std::string_view text = expected.text;
    const bool blank = text == " " && line.find_first_not_of(' ') == std::string_view::npos;
    const bool matches = expected.rest ? line.substr(0, text.size()) == text : line == text;
    if (!blank && !matches) {
      throw ResultsFileError(
          name_ + " is not a results file: line " + std::to_string(lineNumber_) + " should " +
          (text == " " ? std::string("be blank") : "begin \"" + std::string(text) + "\"") +
          ", not " + Quoted(line));
    }
    if (expected.rest) *expected.rest = std::string(line.substr(text.size()));
  }
}

bool ResultsReader::Read(std::vector<ResultsReading>& out, std::size_t max) {
  if (done_) return false;
  for (std::size_t n = 0; n < max;) {
    if (begin_ >= linesEnd_) {
      // No whole line buffered: one line the plain way, which reads more.
      if (!ReadOneLine(out)) return false;
      ++n;
      const char* from = buffer_.data() + begin_;
      const void* lf = ::memrchr(from, '\n', end_ - begin_);
      linesEnd_ = lf == nullptr ? begin_ : static_cast<const char*>(lf) + 1 - buffer_.data();
      continue;
    }
    // Lines in the run's own form straight from the buffer, many bytes at a
    // time; a line in any other form is read the plain way.
    const std::size_t old = out.size();
    out.resize(old + (max - n));
    const char* from = buffer_.data() + begin_;
    std::size_t got = 0;
    const char* stop =
        ReadPlainLines(from, buffer_.data() + linesEnd_, out.data() + old, max - n, got);
    out.resize(old + got);
    n += got;
    lineNumber_ += got;
    consumed_ += static_cast<std::size_t>(stop - from);
    begin_ += static_cast<std::size_t>(stop - from);
    if (n < max && begin_ < linesEnd_) {
      if (!ReadOneLine(out)) return false;
      ++n;
    }
  }
  return true;
}

bool ResultsReader::ReadOneLine(std::vector<ResultsReading>& out) {
  std::string_view line;
  if (!NextLine(line)) {
    done_ = true;
    return false;
  }
  ResultsReading reading;
  if (!ParseResultsLine(line, reading)) {
    Fail("not a line of results: " + Quoted(line));
    return false;
  }
  out.push_back(reading);
  return true;
}

ResultsFile ReadResultsFile(const std::string& path) {
  ResultsReader reader(path);
  ResultsFile file;
  file.header = reader.Header();
  constexpr std::size_t kChunk = 1 << 16;
  while (reader.Read(file.readings, kChunk)) {
  }
  file.failure = reader.Failure();
  return file;
}

}  // namespace kolva::app
