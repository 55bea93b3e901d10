// SPDX-License-Identifier: MIT
#include "app/files/results_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "app/files/results_lines.h"
#include "app/files/text_file.h"
#include "app/files/text_file_posix.h"

namespace kolva::app {
namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr std::size_t kMaxLineBytes = kMaxResultsLineBytes;
// The longest line that reads, with its line end: its text, then CR LF. A
// line feed not among these many bytes ends a line that is too long.
constexpr std::size_t kLineSearch = kMaxLineBytes + 1;
constexpr std::size_t kShownLineBytes = 60;
constexpr int kHeaderLines = 11;

constexpr const char* kTooLong = "the line is too long to be a line of results";
constexpr const char* kCrOnly = "the lines end in CR only, not in CR LF or LF";

// A line as a message quotes it: its first bytes, escaped.
std::string Quoted(std::string_view line) {
  return "\"" + EscapedText(line, kShownLineBytes) + "\"";
}

// Why `bytes`, the start of a line with no line feed among them, does not
// read: a CR with a byte after it ends the line the way only CR-only files
// do; otherwise the line is too long, or cut by the file's end.
const char* Unended(std::string_view bytes, bool atEnd) {
  const std::size_t cr = bytes.find('\r');
  if (cr != std::string_view::npos && cr + 1 < bytes.size()) return kCrOnly;
  if (!bytes.empty() && bytes.back() == '\r') bytes.remove_suffix(1);
  if (!atEnd || bytes.size() >= kMaxLineBytes) return kTooLong;
  return "the file ends in the middle of this line";
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Where reading i of a block goes.
ResultsReading* At(ResultsReading* out, std::size_t i) {
  return out + i;
}
ResultsColumns At(const ResultsColumns& out, std::size_t i) {
  return {out.time + i, out.input1 + i, out.input2 + i};
}

}  // namespace

ResultsReader::ResultsReader(const std::string& path) : name_(BaseName(path)) {
  using namespace text_file_posix;
  // Only a regular file is read: a FIFO, a device or a folder would block a
  // read, never end, or fail later with a less clear message.
  struct stat info {};
  const int fd = OpenRegularForReading(path.c_str(), info);
  if (fd < 0) {
    const int errnum = errno;
    // A socket does not open (ENXIO): refused as any other kind of non-file.
    if (errnum == ENXIO) throw IoError(5);
    throw IoErrorFromErrno(errnum);
  }
  fd_ = fd;
  size_ = static_cast<std::uint64_t>(info.st_size);
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
    base_ += begin_;
    end_ -= begin_;
    begin_ = 0;
  }
  linesEnd_ = 0;
  // A slice reads little past its limit: its last line at most.
  std::size_t room = buffer_.size() - kPlainLinesSlack - end_;
  if (limit_ != UINT64_MAX) {
    const std::uint64_t at = base_ + end_;
    room = static_cast<std::size_t>(
        std::min<std::uint64_t>(room, (limit_ > at ? limit_ - at : 0) + kLineSearch));
  }
  ssize_t got;
  do {
    got = ::pread(fd_, buffer_.data() + end_, room, static_cast<off_t>(base_ + end_));
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw IoErrorFromErrno(errno);
  if (got == 0) eof_ = true;
  end_ += static_cast<std::size_t>(got);
  return got > 0;
}

// The next whole line without its CR LF or LF. False at the end of the file
// and at a line that is too long (its text kMaxLineBytes or more), that the
// file ends inside or that ends in CR only (Failure() says).
bool ResultsReader::NextLine(std::string_view& line) {
  for (;;) {
    const char* from = buffer_.data() + begin_;
    const std::size_t searched = std::min(end_ - begin_, kLineSearch);
    const auto* lf = static_cast<const char*>(std::memchr(from, '\n', searched));
    if (lf != nullptr) {
      const auto through = static_cast<std::size_t>(lf - from) + 1;
      const std::size_t length = through - 1 - (through > 1 && from[through - 2] == '\r');
      ++lineNumber_;
      if (length >= kMaxLineBytes) {
        Fail(kTooLong);
        return false;
      }
      begin_ += through;
      line = std::string_view(from, length);
      return true;
    }
    if (searched == kLineSearch) {
      ++lineNumber_;
      Fail(Unended(std::string_view(from, searched), false));
      return false;
    }
    if (!Fill()) {
      if (begin_ == end_) return false;
      ++lineNumber_;
      Fail(Unended(std::string_view(buffer_.data() + begin_, end_ - begin_), true));
      return false;
    }
  }
}

void ResultsReader::Fail(const std::string& why) {
  why_ = why;
  failure_ = FailureText(name_, lineNumber_, why);
  done_ = true;
}

std::string ResultsReader::FailureText(const std::string& name, std::uint64_t line,
                                       const std::string& why) {
  return name + ", line " + std::to_string(line) + ": " + why;
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
  const std::size_t old = out.size();
  out.resize(old + max);
  std::size_t count = 0;
  const bool more = Read(out.data() + old, max, count);
  out.resize(old + count);
  return more;
}

template <class Out>
bool ResultsReader::ReadInto(const Out& out, std::size_t max, std::size_t& count) {
  count = 0;
  ResultsReading reading;
  while (!done_ && count < max) {
    if (BytesRead() >= limit_) {
      done_ = true;
      break;
    }
    if (begin_ >= linesEnd_) {
      // No whole line buffered: one line the plain way, which reads more.
      if (!ReadOneLine(reading)) break;
      Put(out, count++, reading);
      FindLinesEnd();
      continue;
    }
    // Lines in the run's own form straight from the buffer, many bytes at a
    // time; a line in any other form is read the plain way.
    const char* from = buffer_.data() + begin_;
    std::size_t got = 0;
    const char* stop =
        ReadPlainLines(from, buffer_.data() + linesEnd_, At(out, count), max - count, got);
    count += got;
    lineNumber_ += got;
    begin_ += static_cast<std::size_t>(stop - from);
    if (count < max && begin_ < linesEnd_) {
      if (!ReadOneLine(reading)) break;
      Put(out, count++, reading);
    }
  }
  return !done_;
}

bool ResultsReader::Read(ResultsReading* out, std::size_t max, std::size_t& count) {
  return ReadInto(out, max, count);
}

bool ResultsReader::Read(const ResultsColumns& out, std::size_t max, std::size_t& count) {
  return ReadInto(out, max, count);
}

// Sets linesEnd_ just past the last line feed buffered, or past the first
// one at or after the limit when the limit is buffered, so that the lines
// read from the buffer all begin before the limit.
void ResultsReader::FindLinesEnd() {
  const char* from = buffer_.data() + begin_;
  const void* lf = ::memrchr(from, '\n', end_ - begin_);
  linesEnd_ = lf == nullptr ? begin_ : static_cast<const char*>(lf) + 1 - buffer_.data();
  if (limit_ < base_ + linesEnd_) {
    const std::size_t last = std::max<std::uint64_t>(limit_ - base_, begin_ + 1) - 1;
    lf = std::memchr(buffer_.data() + last, '\n', linesEnd_ - last);
    linesEnd_ = static_cast<const char*>(lf) + 1 - buffer_.data();
  }
}

std::unique_ptr<ResultsReader> ResultsReader::Twin() const {
  const int fd = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) throw IoErrorFromErrno(errno);
  return std::unique_ptr<ResultsReader>(new ResultsReader(*this, fd));
}

ResultsReader::ResultsReader(const ResultsReader& other, int fd)
    : name_(other.name_), fd_(fd), done_(true), size_(other.size_), header_(other.header_) {
  buffer_.resize(other.buffer_.size());
}

void ResultsReader::Prefetch(std::uint64_t from, std::uint64_t bytes) const {
  ::posix_fadvise(fd_, static_cast<off_t>(from), static_cast<off_t>(bytes), POSIX_FADV_WILLNEED);
}

void ResultsReader::SetSlice(std::uint64_t from, std::uint64_t to) {
  base_ = from == 0 ? 0 : from - 1;
  begin_ = end_ = linesEnd_ = 0;
  limit_ = to;
  eof_ = done_ = false;
  lineNumber_ = 0;
  failure_.clear();
  why_.clear();
  if (from == 0) return;
  // The slice's first line begins after the first line feed from the byte
  // before `from` on. A line that long fails in the slice it begins in.
  while (!done_) {
    const void* lf = std::memchr(buffer_.data() + begin_, '\n', end_ - begin_);
    if (lf != nullptr) {
      begin_ = static_cast<const char*>(lf) + 1 - buffer_.data();
      return;
    }
    begin_ = end_;
    done_ = base_ + end_ > from + kBlockBytes + kMaxLineBytes || !Fill();
  }
}

bool ResultsReader::ReadOneLine(ResultsReading& reading) {
  std::string_view line;
  if (!NextLine(line)) {
    done_ = true;
    return false;
  }
  if (!ParseResultsLine(line, reading)) {
    Fail("not a line of results: " + Quoted(line));
    return false;
  }
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
