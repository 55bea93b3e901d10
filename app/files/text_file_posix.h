// SPDX-License-Identifier: MIT
// The system calls the text-file layer's two source files share.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/files/text_file.h"
#include "app/text/errors.h"

namespace kolva::app::text_file_posix {

// The layer's code for a name the system cannot take.
inline constexpr int kInvalidFilename = 3;

inline int OpenRetrying(const char* name, int flags, mode_t mode) {
  int fd;
  do {
    fd = ::open(name, flags, mode);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Takes back the O_NONBLOCK an open was made with, so later reads and
// writes wait as usual; false (errno set) on failure.
inline bool MakeBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

// The layer's fsync of a file or a folder. A test may point it at its own
// function to see what a save syncs, and when; nothing else changes it.
using SyncFunction = int (*)(int fd);
inline SyncFunction syncFunction = ::fsync;

inline int Sync(int fd) {
  return syncFunction(fd);
}

// Takes the exclusive advisory lock on `fd` without waiting: true when this
// use holds it, or when the file system keeps no locks (the file is then
// written unlocked, as everywhere else); false with errno EWOULDBLOCK when
// another use holds it, or another errno for a failure.
inline bool LockExclusive(int fd) {
  int result;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  return result == 0 || errno == ENOLCK || errno == EOPNOTSUPP || errno == ENOSYS;
}

// Closes `fd` and raises code 5: the name is not a file this layer takes.
[[noreturn]] inline void RefuseKind(int fd) {
  ::close(fd);
  throw IoError(5);
}

// Opens a regular file for reading without waiting, so a FIFO's open never
// waits for a writer, and makes the descriptor blocking again; `info` gets
// its status. Anything but a regular file (a FIFO, a device, a folder) is
// refused with code 5, and a failed fcntl raises its I/O error. Answers -1
// with errno set when the open itself fails, for the caller to word.
inline int OpenRegularForReading(const char* name, struct stat& info) {
  const int fd = OpenRetrying(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
  if (fd < 0) return -1;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) RefuseKind(fd);
  if (!MakeBlocking(fd)) {
    const int errnum = errno;
    ::close(fd);
    throw IoErrorFromErrno(errnum);
  }
  return fd;
}

}  // namespace kolva::app::text_file_posix
