// SPDX-License-Identifier: MIT
#include "app/files/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "app/files/text_file_posix.h"

namespace kolva::app {
namespace {

using namespace text_file_posix;

constexpr std::size_t kBufferSize = 4096;
constexpr char kEndOfFile = 26;  // Ctrl-Z
constexpr int kNotOpen = 103;
constexpr int kNotOpenForInput = 104;
constexpr int kNotOpenForOutput = 105;

bool IsNamedCode(int code) {
  return (code >= 2 && code <= 5) || (code >= 100 && code <= 106);
}

// A name the system cannot take: empty, or with a NUL inside.
bool IsUnusableName(const std::string& name) {
  return name.empty() || name.find('\0') != std::string::npos;
}

// ENOENT from an open for reading means a missing file when the folder
// exists, and a bad path when a folder on the way does not.
bool ParentFolderExists(const std::string& name) {
  const auto slash = name.rfind('/');
  if (slash == std::string::npos) return true;
  const std::string parent = slash == 0 ? std::string("/") : name.substr(0, slash);
  struct stat info {};
  return ::stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Whether an open descriptor is something this layer may write to: a
// regular file, a character device (/dev/null, a terminal), or a FIFO that
// already has a reader (the recorder's standard output into a pipe). The
// open never waits for a reader, and the results file is written on the
// sampler's thread, so a slow reader can delay readings but never the
// window. A block device is a disk that a mistyped results file name must
// never overwrite.
bool IsWritableKind(const struct stat& info) {
  return S_ISREG(info.st_mode) || S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode);
}

}  // namespace

IoError IoErrorFromErrno(int errnum) {
  switch (errnum) {
    case ENOENT:
      return IoError(2);
    case ENOTDIR:
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
      return IoError(kInvalidFilename);
    case EMFILE:
    case ENFILE:
      return IoError(4);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
      return IoError(5);
    case ENOSPC:
    case EDQUOT:
      return IoError(101);
    default:
      if (IsNamedCode(errnum)) return IoError(errnum, "I/O error " + std::to_string(errnum));
      return IoError(errnum);
  }
}

TextFile::TextFile() = default;

TextFile::TextFile(std::string name) : name_(std::move(name)) {}

TextFile::~TextFile() {
  Abandon();
}

void TextFile::Assign(std::string name) {
  name_ = std::move(name);
}

void TextFile::Reset() {
  Abandon();
  if (IsUnusableName(name_)) throw IoError(kInvalidFilename);
  struct stat info {};
  const int fd = OpenRegularForReading(name_.c_str(), info);
  if (fd < 0) {
    const int errnum = errno;
    if (errnum == ENOENT && !ParentFolderExists(name_)) throw IoError(kInvalidFilename);
    throw IoErrorFromErrno(errnum);
  }
  fd_ = fd;
  mode_ = Mode::kInput;
  buffer_ = std::make_unique<char[]>(kBufferSize);
  begin_ = end_ = 0;
  atEnd_ = false;
  restOfLine_ = false;
}

void TextFile::Rewrite(Commit commit, Lock lock) {
  Abandon();
  if (IsUnusableName(name_)) throw IoError(kInvalidFilename);
  commit_ = commit;
  const int fd = commit == Commit::kByRename ? OpenForCommit() : OpenInPlace(lock);
  fd_ = fd;
  mode_ = Mode::kOutput;
  failure_.reset();
  written_ = wholeLinesEnd_ = 0;
  buffer_ = std::make_unique<char[]>(kBufferSize);
  begin_ = end_ = 0;
}

// Creates or empties the target itself. Non-blocking, so a FIFO without a
// reader fails (ENXIO) instead of waiting; any kind IsWritableKind rejects
// is refused after the open. Opened without O_TRUNC: a regular file is
// emptied only once it is known to be one and, with `lock`, locked for this
// use, so a file another run writes is refused whole.
int TextFile::OpenInPlace(Lock lock) {
  const int fd =
      OpenRetrying(name_.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) {
    // With O_CREAT, ENOENT can only mean a folder on the way is missing.
    if (errno == ENOENT) throw IoError(kInvalidFilename);
    if (errno == ENXIO) throw IoError(5);  // a FIFO nobody reads, a device not there
    throw IoErrorFromErrno(errno);
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !IsWritableKind(info) || !MakeBlocking(fd)) RefuseKind(fd);
  if (S_ISREG(info.st_mode)) {
    if (lock == Lock::kExclusive && !LockExclusive(fd)) {
      const int errnum = errno;
      ::close(fd);
      if (errnum == EWOULDBLOCK) throw IoError(5);  // another use holds it
      throw IoErrorFromErrno(errnum);
    }
    if (::ftruncate(fd, 0) != 0) {
      const int errnum = errno;
      ::close(fd);
      throw IoErrorFromErrno(errnum);
    }
  }
  return fd;
}

std::string TextFile::ReadLine() {
  bool cut = false;
  return ReadLine(std::string::npos, cut);
}

std::string TextFile::ReadLine(std::size_t limit, bool& cut) {
  RequireInput();
  std::string line;
  if (std::exchange(restOfLine_, false)) ScanLine(nullptr, 0);
  cut = ScanLine(&line, limit);
  restOfLine_ = cut;
  return line;
}

// Reads from the current place to the end of the line, appending to `line`
// (when given) at most `limit` bytes. Answers true when it stopped at the
// limit with more of the line still unread; else the line end is consumed.
// A line cut short is skipped only when the next line is asked for, so a
// caller that gives up on it reads no further.
bool TextFile::ScanLine(std::string* line, std::size_t limit) {
  while (begin_ < end_ || Fill()) {
    const char* data = buffer_.get();
    std::size_t stop = begin_;
    while (stop < end_ && data[stop] != '\r' && data[stop] != '\n' && data[stop] != kEndOfFile) {
      ++stop;
    }
    if (line != nullptr) {
      const std::size_t room = limit - line->size();
      if (stop - begin_ > room) {
        line->append(data + begin_, room);
        begin_ += room;
        return true;
      }
      line->append(data + begin_, stop - begin_);
    }
    begin_ = stop;
    if (stop == end_) continue;
    if (data[stop] == kEndOfFile) {
      atEnd_ = true;  // nothing after Ctrl-Z is ever read
      begin_ = end_ = 0;
      return false;
    }
    ++begin_;
    if (data[stop] == '\r' && (begin_ < end_ || Fill()) && buffer_[begin_] == '\n') ++begin_;
    return false;
  }
  return false;
}

// Refills the empty input buffer; false at the end of the data.
bool TextFile::Fill() {
  if (atEnd_) return false;
  ssize_t got;
  do {
    got = ::read(fd_, buffer_.get(), kBufferSize);
  } while (got < 0 && errno == EINTR);
  if (got < 0) throw IoErrorFromErrno(errno);
  begin_ = 0;
  end_ = static_cast<std::size_t>(got);
  if (got == 0) atEnd_ = true;
  return got > 0;
}

void TextFile::Write(std::string_view text) {
  RequireOutput();
  while (!text.empty()) {
    const std::size_t room = kBufferSize - end_;
    const std::size_t part = text.size() < room ? text.size() : room;
    std::memcpy(buffer_.get() + end_, text.data(), part);
    end_ += part;
    text.remove_prefix(part);
    if (end_ == kBufferSize) FlushBuffer();
  }
}

// A line whose text and CR LF do not fit what is left of the buffer sends
// the buffer's whole lines on first; one that does not fit even an empty
// buffer goes out at once with its CR LF in one write. The buffer is only
// ever written holding whole lines, so the file grows by whole lines.
void TextFile::WriteLine(std::string_view line) {
  RequireOutput();
  const std::size_t size = line.size() + 2;
  if (size > kBufferSize - end_) FlushBuffer();
  if (size > kBufferSize) {
    std::string whole;
    whole.reserve(size);
    whole.append(line).append("\r\n");
    WriteOut(whole.data(), whole.size());
    return;
  }
  std::memcpy(buffer_.get() + end_, line.data(), line.size());
  std::memcpy(buffer_.get() + end_ + line.size(), "\r\n", 2);
  end_ += size;
  if (end_ == kBufferSize) FlushBuffer();
}

void TextFile::Flush() {
  RequireOutput();
  FlushBuffer();
}

// What could not be written is dropped with the buffer, not raised again.
void TextFile::FlushBuffer() {
  WriteOut(buffer_.get(), std::exchange(end_, 0));
}

// Writes `count` bytes to the system; on failure cuts the file back to its
// whole lines and raises.
void TextFile::WriteOut(const char* bytes, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    const ssize_t put = ::write(fd_, bytes + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) {
      const int errnum = put < 0 ? errno : ENOSPC;
      CutToWholeLines();
      Fail(errnum);
    }
    NoteWritten(bytes + done, static_cast<std::size_t>(put));
    done += static_cast<std::size_t>(put);
  }
}

void TextFile::NoteWritten(const char* bytes, std::size_t count) {
  for (std::size_t i = count; i > 0; --i) {
    if (bytes[i - 1] == '\n') {
      wholeLinesEnd_ = written_ + static_cast<std::int64_t>(i);
      break;
    }
  }
  written_ += static_cast<std::int64_t>(count);
}

// After a failed write: a line the system took only part of is taken off
// again, so that the file never ends in a piece of a line. Best effort: a
// device that cannot be cut keeps what it took.
void TextFile::CutToWholeLines() noexcept {
  if (written_ == wholeLinesEnd_) return;
  if (::ftruncate(fd_, wholeLinesEnd_) == 0 && ::lseek(fd_, wholeLinesEnd_, SEEK_SET) >= 0) {
    written_ = wholeLinesEnd_;
  }
}

void TextFile::Fail(int errnum) {
  IoError error = IoErrorFromErrno(errnum);
  if (!failure_) failure_ = error;
  throw error;
}

void TextFile::Close() {
  if (mode_ == Mode::kClosed) throw IoError(kNotOpen);
  if (mode_ == Mode::kOutput) {
    CloseOutput();
    return;
  }
  std::optional<IoError> failure;
  ReleaseDescriptor(failure);
  if (failure) throw *failure;
}

// A rename commit names its file while the descriptor is open (an unnamed
// file needs it), then renames it over the target only when the flush, the
// fsync and the close all succeeded, and syncs the folder so the rename
// lasts. Whatever fails, no temporary name is left behind.
void TextFile::CloseOutput() {
  std::optional<IoError> failure;
  const bool byRename = commit_ == Commit::kByRename;
  try {
    FlushBuffer();
    if (byRename && !failure_) {
      if (Sync(fd_) != 0) Fail(errno);
      NameTemporary();
    }
  } catch (const IoError& error) {
    failure = error;
  }
  ReleaseDescriptor(failure);
  if (byRename && !failure) failure = failure_;
  if (byRename && !failure) {
    try {
      RenameIntoPlace();
    } catch (const IoError& error) {
      failure = error;
    }
  }
  if (!temporary_.empty()) ::unlink(std::exchange(temporary_, std::string()).c_str());
  if (failure) throw *failure;
}

// Closes the descriptor and leaves the file closed; a close error is kept
// in `failure` unless an earlier one is there already.
void TextFile::ReleaseDescriptor(std::optional<IoError>& failure) noexcept {
  const int fd = std::exchange(fd_, -1);
  mode_ = Mode::kClosed;
  buffer_.reset();
  begin_ = end_ = 0;
  // Linux releases the descriptor even when close reports an error, so
  // close is never retried.
  if (::close(fd) != 0 && !failure) failure = IoErrorFromErrno(errno);
}

void TextFile::Abandon() noexcept {
  if (mode_ == Mode::kOutput && commit_ == Commit::kInPlace) {
    try {
      FlushBuffer();
    } catch (const IoError&) {
      // The abandoned use's own failure; the new use starts clean.
    }
  }
  if (mode_ != Mode::kClosed) {
    std::optional<IoError> ignored;
    ReleaseDescriptor(ignored);
  }
  if (!temporary_.empty()) ::unlink(std::exchange(temporary_, std::string()).c_str());
  failure_.reset();
}

void TextFile::RequireInput() const {
  if (mode_ == Mode::kInput) return;
  throw IoError(mode_ == Mode::kClosed ? kNotOpen : kNotOpenForInput);
}

void TextFile::RequireOutput() const {
  if (mode_ == Mode::kOutput) return;
  throw IoError(mode_ == Mode::kClosed ? kNotOpen : kNotOpenForOutput);
}

}  // namespace kolva::app
