// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>

#include "app/files/results_reader.h"

namespace kolva::app {

// A line of this many bytes or more, its line end not counted, is not a
// line of results; a file without line ends (a binary file, say) stops
// there instead of filling memory.
inline constexpr std::size_t kMaxResultsLineBytes = 4096;

// Bytes past the end of a block of lines that ReadPlainLines may load (and
// never use): the caller's buffer must hold them.
inline constexpr std::size_t kPlainLinesSlack = 64;

// Reads data lines in the plain form the run writes, many bytes at a time:
// blanks, the reading's number (up to 16 digits), then each of the inputs
// and the time as an optional "-", up to 16 digits, and optionally "." or
// "," with up to 16 more (19 digits at most in all), the fields separated by
// blanks, the line ended by optional blanks and CR LF or LF, its text (the
// line end not counted) shorter than kMaxResultsLineBytes. `end` follows a
// line feed, and
// kPlainLinesSlack bytes after it can be read.
//
// Stores at most `max` readings in `out`, each equal to what
// ParseResultsLine gives for its line, and answers the start of the first
// line not read: one not in the plain form (ParseResultsLine decides it), or
// `end`. `count` is the number of readings stored.
//
// Where the processor has AVX-512 (with VBMI and VBMI2), a line of up to 64 bytes is
// read from one load; elsewhere, and for longer lines, sixteen bytes at a
// time (ReadPlainLinesSixteen, the same readings).
const char* ReadPlainLines(const char* p, const char* end, ResultsReading* out, std::size_t max,
                           std::size_t& count);
const char* ReadPlainLinesSixteen(const char* p, const char* end, ResultsReading* out,
                                  std::size_t max, std::size_t& count);
bool WholeLinesAvailable();

// The same readings into columns.
const char* ReadPlainLines(const char* p, const char* end, const ResultsColumns& out,
                           std::size_t max, std::size_t& count);

// Reading i of a block into its place.
inline void Put(ResultsReading* out, std::size_t i, const ResultsReading& reading) {
  out[i] = reading;
}
inline void Put(const ResultsColumns& out, std::size_t i, const ResultsReading& reading) {
  out.time[i] = static_cast<double>(reading.time);
  out.input1[i] = reading.input1;
  out.input2[i] = reading.input2;
}

}  // namespace kolva::app
