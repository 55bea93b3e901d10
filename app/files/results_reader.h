// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/text/errors.h"

namespace kolva::app {

// The texts of a results file's header as the run wrote them: what follows
// "Date of the measurement - ", "Time of the measurement - ", "Time between
// samples in seconds - " and "Measurement lenth in minutes - ".
struct ResultsHeader {
  std::string date;
  std::string time;
  std::string interval;
  std::string length;
};

// One data line: the reading's number, both inputs (millivolts, or counts in
// raw mode) as the single values their texts round to, and the time column
// as the extended value its text rounds to. These are the values
// StoreSingle(ParseFloat(text)) and ParseFloat(text) give, whichever decimal
// separator the file uses.
struct ResultsReading {
  std::uint32_t number = 0;
  float input1 = 0.0f;
  float input2 = 0.0f;
  long double time = 0.0L;
};

// Readings as a chart takes them, a column each: places for `max` values
// in each, the time rounded to double.
struct ResultsColumns {
  double* time = nullptr;
  double* input1 = nullptr;
  double* input2 = nullptr;
};

// A file that is not a results file: the message names the file and the
// header line that gave it away.
class ResultsFileError : public Error {
 public:
  using Error::Error;
};

// Reads a results file from disk in pieces: the 11 header lines when
// opened, then the data lines in chunks of the caller's size. A data line is
// the number, the first input, the second input and the time, separated by
// blanks, each number with "." or "," as its decimal separator, ended by
// CR LF or LF. Reading stops at the first line that does not read (also a
// last line the file ends inside); Failure() then says which line and why,
// and every reading before it has been delivered. Not thread-safe; one
// reader may move to another thread between calls.
class ResultsReader {
 public:
  // Opens the file and reads its header. Raises IoError when the file cannot
  // be opened or read, ResultsFileError when it is not a results file.
  explicit ResultsReader(const std::string& path);
  ~ResultsReader();
  ResultsReader(const ResultsReader&) = delete;
  ResultsReader& operator=(const ResultsReader&) = delete;

  const ResultsHeader& Header() const { return header_; }

  // Appends up to `max` readings to `out`. Answers false when no more will
  // come: at the end of the file or at a line that does not read. Raises
  // IoError for a failed read.
  bool Read(std::vector<ResultsReading>& out, std::size_t max);
  // The same into `max` places at `out`; `count` says how many were filled.
  bool Read(ResultsReading* out, std::size_t max, std::size_t& count);
  bool Read(const ResultsColumns& out, std::size_t max, std::size_t& count);

  // Empty while every line read; otherwise the message naming the line.
  const std::string& Failure() const { return failure_; }
  // Its parts: why the line did not read (empty while every line read),
  // and the number of the last line taken, the failed one included (a
  // slice's lines count from its first).
  const std::string& FailureWhy() const { return why_; }
  std::uint64_t LineNumber() const { return lineNumber_; }
  // The file's name as messages give it, and the message for line `line`.
  const std::string& Name() const { return name_; }
  static std::string FailureText(const std::string& name, std::uint64_t line,
                                 const std::string& why);
  // The file offset up to which lines have been delivered (header
  // included), and the file's size when opened, for progress.
  std::uint64_t BytesRead() const { return base_ + begin_; }
  std::uint64_t FileSize() const { return size_; }

  // Slices of the data lines, for reading a file on several threads.
  // A reader of the same open file, with this one's name, size and header;
  // it reads nothing until SetSlice.
  std::unique_ptr<ResultsReader> Twin() const;
  // From now on Read delivers the lines that begin at or after `from` and
  // before `to` (file offsets), then ends. The first is the line after the
  // first line feed from offset `from` - 1 on; slices that meet cover
  // every line once.
  void SetSlice(std::uint64_t from, std::uint64_t to);
  // Asks the disk for `bytes` from `from` on ahead of their reading; a
  // hint, never a failure.
  void Prefetch(std::uint64_t from, std::uint64_t bytes) const;

 private:
  ResultsReader(const ResultsReader& other, int fd);
  bool Fill();
  void FindLinesEnd();
  bool NextLine(std::string_view& line);
  // Reads the next line; false at the end or a line that does not read.
  bool ReadOneLine(ResultsReading& reading);
  template <class Out>
  bool ReadInto(const Out& out, std::size_t max, std::size_t& count);
  void ReadHeader();
  void Fail(const std::string& why);
  // Why the header ended early, for the not-a-results-file message.
  std::string HeaderEnd() const;

  std::string name_;
  int fd_ = -1;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;     // first unread byte in buffer_
  std::size_t end_ = 0;       // end of the bytes in buffer_
  std::size_t linesEnd_ = 0;  // just past the last line feed in buffer_
  std::uint64_t base_ = 0;    // file offset of buffer_[0]
  std::uint64_t limit_ = UINT64_MAX;
  bool eof_ = false;
  bool done_ = false;
  std::uint64_t lineNumber_ = 0;  // of the last line taken, from 1
  std::uint64_t size_ = 0;
  ResultsHeader header_;
  std::string failure_;
  std::string why_;
};

// Reads one data line (without its line end); false when it does not read.
// Exposed for the tests and the benchmark.
bool ParseResultsLine(std::string_view line, ResultsReading& reading);

// A whole results file at once. Raises as ResultsReader's constructor does;
// a data line that does not read ends the readings and sets `failure`.
struct ResultsFile {
  ResultsHeader header;
  std::vector<ResultsReading> readings;
  std::string failure;
};
ResultsFile ReadResultsFile(const std::string& path);

}  // namespace kolva::app
