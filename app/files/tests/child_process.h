// SPDX-License-Identifier: MIT
#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

namespace kolva::app::testing {

inline constexpr int kSetupRefused = 200;  // the child could not arrange its conditions

// Runs `body` in a forked child and answers its exit status, or
// kSetupRefused when the child could not arrange its conditions, or -1 when
// it did not exit. Permission, limit and mount changes stay in the child. A
// child still running after 20 s (its work takes milliseconds) fails the
// test and is killed.
inline int RunInChild(const std::function<bool()>& setUp, const std::function<int()>& body) {
  constexpr std::chrono::seconds kLimit{20};
  const pid_t pid = ::fork();
  if (pid == 0) ::_exit(setUp() ? body() : kSetupRefused);
  const auto deadline = std::chrono::steady_clock::now() + kLimit;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "the child (pid " << pid << ") has not exited within " << kLimit.count()
                    << " s; killed";
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    ::usleep(1000);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Permission bits do not bind root, so a root child becomes "nobody" first.
inline bool DropToUnprivileged() {
  if (::geteuid() != 0) return true;
  return ::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

// Mounts a tmpfs of its own at `path` in a private mount namespace.
inline bool MountPrivateTmpfs(const std::string& path, const char* options) {
  return ::unshare(CLONE_NEWNS) == 0 &&
         ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         ::mount("tmpfs", path.c_str(), "tmpfs", 0, options) == 0;
}

}  // namespace kolva::app::testing
