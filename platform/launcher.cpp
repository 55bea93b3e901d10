// SPDX-License-Identifier: MIT
#include "platform/launcher.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

namespace kolva::platform {
namespace {

bool IsExecutableFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) && access(path.c_str(), X_OK) == 0;
}

std::string OwnFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  return std::filesystem::path(std::string(path, static_cast<std::size_t>(length)))
      .parent_path()
      .string();
}

}  // namespace

std::string FindProgram(std::string_view name) {
  if (name.empty() || name.find('/') != std::string_view::npos) return {};
  const std::string own = OwnFolder();
  if (!own.empty() && IsExecutableFile(own + "/" + std::string(name))) {
    return own + "/" + std::string(name);
  }
  const char* path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "";
  while (!folders.empty()) {
    const std::size_t colon = folders.find(':');
    std::string folder(folders.substr(0, colon));
    folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
    if (folder.empty()) folder = ".";  // an empty PATH entry is the current folder
    const std::string candidate = folder + "/" + std::string(name);
    if (IsExecutableFile(candidate)) return candidate;
  }
  return {};
}

bool LaunchProgram(std::string_view name) {
  const std::string path = FindProgram(name);
  if (path.empty()) return false;
  // Everything the children use is prepared before fork: after it, only
  // async-signal-safe calls.
  std::string argument0(name);
  char* const argv[] = {argument0.data(), nullptr};
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    // The intermediate child starts the program and leaves at once, so the
    // program is adopted by init and never becomes our zombie.
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      execv(path.c_str(), argv);
      _exit(127);
    }
    _exit(grandchild < 0 ? 1 : 0);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace kolva::platform
