// SPDX-License-Identifier: MIT
#include "probe/bar_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kolva::probe {

std::string BarFileText(std::uint16_t base) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text = "$";
  for (int shift = 12; shift >= 0; shift -= 4) text += kDigits[(base >> shift) & 0xF];
  return text + "\r\n";
}

std::string WriteBarFile(const std::string& folder, std::uint16_t base) {
  const std::string target = folder + "/bar.txt";
  const std::string temporary = folder + "/.bar.txt." + std::to_string(getpid()) + ".tmp";
  const std::string text = BarFileText(base);
  const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return "cannot create " + temporary + ": " + std::strerror(errno);
  const bool written =
      write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size()) && fsync(fd) == 0;
  const int writeError = errno;
  if (close(fd) != 0 || !written) {
    unlink(temporary.c_str());
    return "cannot write " + temporary + ": " + std::strerror(writeError);
  }
  if (std::rename(temporary.c_str(), target.c_str()) != 0) {
    const int renameError = errno;
    unlink(temporary.c_str());
    return "cannot rename " + temporary + " to " + target + ": " + std::strerror(renameError);
  }
  return {};
}

}  // namespace kolva::probe
