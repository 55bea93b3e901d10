// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/text/errors.h"

struct stat;

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
// that is written out before a line that would not fit with its CR LF, by
// Flush and by Close; a line that does not fit even the empty buffer goes
// out with its CR LF in one write. So lines written by WriteLine reach the
// file whole, and it ends in a whole line between writes. The operation
// that actually meets a write error raises it, the bytes it could not write
// are dropped, and a line the system took only in part is cut off the file
// again. Close releases the descriptor even when it raises.
//
// Reset reads regular files only; Rewrite writes regular files, character
// devices (/dev/null, a terminal) and FIFOs that already have a reader. Both
// open without blocking, so a FIFO never holds the open up; any other kind
// of file is refused with code 5.
//
// An in-place Rewrite empties a regular file only after opening it, so
// that Lock::kExclusive can first take an exclusive advisory lock (flock)
// on it, held until the file is closed: a file another use holds locked is
// refused with code 5 and left untouched. Devices and FIFOs are not locked,
// and neither is a file on a file system that keeps no locks.
//
// Commit::kByRename writes into a file of its own in the target's folder,
// unnamed while it is written, and syncs it; only at a Close that met no
// error is it renamed over the target, and then the folder is synced, so a
// crash leaves the old contents or the new, whole. A failed save leaves the
// old file whole and no temporary file behind. The new file keeps the old
// one's mode, owner and group. A target that may not be written (a
// read-only file, a folder, a FIFO) is refused at Rewrite with code 5, as an
// in-place rewrite would be. Where the folder cannot take a new file, the
// old owner cannot be kept, or the target has more than one name (hard
// links), the target is rewritten in place instead, so that every name
// sees the new contents. A Close after any failure raises that failure
// again, never reporting a save that did not happen. A symbolic link as
// target is kept: the file it finally points to is saved, with the
// temporary file in that file's own folder; a link that points nowhere
// gets the file it names, where that file's folder exists.
//
// Operations on a file in the wrong state raise the layer's own codes:
// 103 not open, 104 not open for reading, 105 not open for writing.
class TextFile {
 public:
  enum class Commit { kInPlace, kByRename };
  // Whether an in-place Rewrite locks the file for this use alone.
  enum class Lock { kNone, kExclusive };

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
  // as Reset does). A rename commit takes no lock.
  void Rewrite(Commit commit = Commit::kInPlace, Lock lock = Lock::kNone);

  std::string ReadLine();
  // Reads a line keeping at most `limit` bytes of it; `cut` tells whether
  // the line was longer. Its rest is skipped by the next read, so a caller
  // that gives up on the line reads no more of it.
  std::string ReadLine(std::size_t limit, bool& cut);
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
  bool ScanLine(std::string* line, std::size_t limit);
  void FlushBuffer();
  void WriteOut(const char* bytes, std::size_t count);
  void NoteWritten(const char* bytes, std::size_t count);
  void CutToWholeLines() noexcept;
  [[noreturn]] void Fail(int errnum);
  int OpenInPlace(Lock lock);
  int OpenForCommit();
  int OpenNewFile(const struct stat* old, int& errnum);
  void CloseOutput();
  void NameTemporary();
  void RenameIntoPlace();
  void ReleaseDescriptor(std::optional<IoError>& failure) noexcept;

  std::string name_;
  int fd_ = -1;
  Mode mode_ = Mode::kClosed;
  Commit commit_ = Commit::kInPlace;
  std::string target_;     // the file a rename commit replaces: name_ with links followed
  std::string temporary_;  // the rename commit's named file, while it has one
  std::optional<IoError> failure_;

  std::unique_ptr<char[]> buffer_;
  std::size_t begin_ = 0;           // input: next byte to read
  std::size_t end_ = 0;             // input: end of valid bytes; output: bytes held
  bool atEnd_ = false;              // input: end of data or Ctrl-Z seen
  bool restOfLine_ = false;         // input: the last line read was cut short
  std::int64_t written_ = 0;        // output: bytes this use has written
  std::int64_t wholeLinesEnd_ = 0;  // output: where the last whole line written ends
};

}  // namespace kolva::app
