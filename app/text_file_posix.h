// SPDX-License-Identifier: MIT
// The system calls the text-file layer's two source files share.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "app/errors.h"

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

}  // namespace kolva::app::text_file_posix
