// SPDX-License-Identifier: MIT
#include "platform/standard_descriptors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace kolva::platform {

bool OpenClosedStandardDescriptors() {
  bool outputClosed = false;
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    outputClosed = outputClosed || fd == STDOUT_FILENO;
    const int null = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
    if (null >= 0 && null != fd) {
      ::dup2(null, fd);
      ::close(null);
    }
  }
  return outputClosed;
}

}  // namespace kolva::platform
