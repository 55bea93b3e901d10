// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/errors.h"

namespace kolva::app {

// The I/O error the operator sees for a platform error number:
//   ENOENT                                            2 "File not found"
//   ENOTDIR, ENAMETOOLONG, EINVAL, ELOOP              3 "Invalid filename"
//   EMFILE, ENFILE                                    4 "Too many open files"
//   EACCES, EPERM, EROFS, EISDIR                      5 "File access denied"
//   ENOSPC, EDQUOT                                  101 "Disk full"
//   any other number                                  "I/O error <number>"
// An unlisted number that falls on a code of the table (EIO is 5, ENETDOWN
// to EISCONN are 100 to 106) keeps its number but says "I/O error <number>",
// so a failing disk is never reported as "File access denied".
IoError IoErrorFromErrno(int errnum);

// An 8-bit text file, as the settings files and the results file use it.
// Every operation checks its result at once and raises IoError on failure;
// nothing is returned as a code.
//
// Reading: a line runs up to CR, LF or CR LF (a CR LF pair is one line end);
// a Ctrl-Z (26) ends the file; reading past the end gives an empty line.
// Bytes pass through untouched, nothing is trimmed.
//
// Writing: lines are ended by CR LF and collected in a buffer of a few KiB
// that is written out before a line that would not fit, by Flush and by
// Close, so that lines reach the file whole; the operation that actually
// meets a write error raises it, the bytes it could not write are dropped,
// and a line the system took only in part is cut off the file again. Close
// releases the descriptor even when it raises.
//
// Commit::kByRename writes into a temporary file beside the target and
// renames it over the target only at a Close that met no error, so a failed
// save leaves the old file whole. A target that may not be written (a
// read-only file, a folder) is refused at Rewrite with code 5, as an
// in-place rewrite would be. A Close after any failure removes the temporary
// file and raises that failure again, never reporting a save that did not
// happen. A symbolic link as target is replaced by the new file.
//
// Operations on a file in the wrong state raise the layer's own codes:
// 103 not open, 104 not open for reading, 105 not open for writing.
class TextFile {
 public:
  enum class Commit { kInPlace, kByRename };

  TextFile();
  explicit TextFile(std::string name);
  ~TextFile();  // abandons an open file as Reset does, never raises
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Binds the file to a name; opens nothing.
  void Assign(std::string name);
  const std::string& Name() const { return name_; }

  // Opens the bound file for reading. A file still open from an earlier use
  // is abandoned first: its pending output is written if it can be, a
  // rename commit that was not closed is discarded.
  void Reset();
  // Creates or truncates the bound file for writing (abandoning an open one
  // as Reset does).
  void Rewrite(Commit commit = Commit::kInPlace);

  std::string ReadLine();
  void Write(std::string_view text);
  void WriteLine(std::string_view line);
  // Writes the buffered output to the system.
  void Flush();
  void Close();

  bool IsOpen() const { return mode_ != Mode::kClosed; }

 private:
  enum class Mode { kClosed, kInput, kOutput };

  void Abandon() noexcept;
  void RequireInput() const;
  void RequireOutput() const;
  bool Fill();
  void FlushBuffer();
  void NoteWritten(const char* bytes, std::size_t count);
  void CutToWholeLines() noexcept;
  [[noreturn]] void Fail(int errnum);
  int CreateTemporary();
  void CloseOutput();
  void ReleaseDescriptor(std::optional<IoError>& failure) noexcept;

  std::string name_;
  int fd_ = -1;
  Mode mode_ = Mode::kClosed;
  Commit commit_ = Commit::kInPlace;
  std::string temporary_;  // the rename commit's file, while open
  std::optional<IoError> failure_;

  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;           // input: next byte to read
  std::size_t end_ = 0;             // input: end of valid bytes; output: bytes held
  bool atEnd_ = false;              // input: end of data or Ctrl-Z seen
  std::int64_t written_ = 0;        // output: bytes this use has written
  std::int64_t wholeLinesEnd_ = 0;  // output: where the last whole line written ends
};

}  // namespace kolva::app
