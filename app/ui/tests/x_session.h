// SPDX-License-Identifier: MIT
// Helpers for the end-to-end tests that drive the built kolva program under
// an X server of their own: child processes, a private Xvfb, xdotool, and
// the program in a scratch folder with its settings files.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace kolva::xsession {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;
using std::chrono::seconds;

// Polls `done` every `poll` for at most `limit`: the program under test is
// a real process on a real clock.
inline bool WaitFor(const std::function<bool()>& done, seconds limit,
                    std::chrono::milliseconds poll = std::chrono::milliseconds(50)) {
  const auto deadline = SteadyClock::now() + limit;
  while (!done()) {
    if (SteadyClock::now() > deadline) return false;
    std::this_thread::sleep_for(poll);
  }
  return true;
}

// Starts `argv` (found on PATH unless it holds a slash) in `folder` with
// extra environment; its standard output goes to `outFd` (else /dev/null),
// its standard input and error to /dev/null.
inline pid_t Spawn(const std::vector<std::string>& argv, const std::string& folder,
                   const std::vector<std::string>& environment, int outFd = -1) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(126);
  for (const std::string& entry : environment) ::putenv(const_cast<char*>(entry.c_str()));
  const int null = ::open("/dev/null", O_RDWR);
  ::dup2(null, STDIN_FILENO);
  ::dup2(outFd >= 0 ? outFd : null, STDOUT_FILENO);
  ::dup2(null, STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(127);
}

// The exit status of a child (128 + signal when killed); none while it
// runs and `wait` is false.
inline std::optional<int> ExitStatus(pid_t pid, bool wait) {
  int status = 0;
  if (::waitpid(pid, &status, wait ? 0 : WNOHANG) != pid) return std::nullopt;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs a program on `display` to its end and answers what it printed.
inline std::string Capture(const std::string& display, const std::vector<std::string>& argv) {
  int fds[2];
  if (::pipe(fds) != 0) return "";
  const pid_t pid = Spawn(argv, "", {"DISPLAY=" + display}, fds[1]);
  ::close(fds[1]);
  std::string out;
  char buffer[4096];
  ssize_t got;
  while ((got = ::read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, got);
  ::close(fds[0]);
  ExitStatus(pid, true);
  return out;
}

// Runs xdotool on `display` and answers what it printed.
inline std::string Xdotool(const std::string& display, const std::vector<std::string>& args) {
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  return Capture(display, argv);
}

inline bool OnPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    if (fs::exists(fs::path(folders.substr(start, end - start)) / program)) return true;
    start = end + 1;
  }
  return false;
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Waits until the file exists and has kept its size for `quiet`.
inline bool WaitUntilStill(const fs::path& file, seconds quiet, seconds limit) {
  std::uintmax_t size = 0;
  auto since = SteadyClock::now();
  return WaitFor(
      [&] {
        std::error_code error;
        const std::uintmax_t now = fs::file_size(file, error);
        if (error) return false;
        if (now != size) {
          size = now;
          since = SteadyClock::now();
        }
        return SteadyClock::now() - since >= quiet;
      },
      limit);
}

// An Xvfb on a display number of its own choosing (-displayfd); the name is
// empty when it did not start. It does not reset when its last client
// leaves: a reset refuses connections for a moment, and a program started
// just after the one before it ended would fail to open its display.
class PrivateDisplay {
 public:
  PrivateDisplay() {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                  "-nolisten", "tcp", "-noreset"},
                 "", {});
    ::close(fds[1]);
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  ~PrivateDisplay() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ExitStatus(pid_, true);
    }
  }
  PrivateDisplay(const PrivateDisplay&) = delete;
  PrivateDisplay& operator=(const PrivateDisplay&) = delete;
  const std::string& Name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// The correction file every scratch folder gets: no offsets, unit gains.
inline constexpr const char* kPlainCorrections = "0\r\n0\r\n1\r\n1\r\n366.2109375\r\n3906.25\r\n";

// The built kolva (from KOLVA_BUILD_DIR) in a scratch folder holding the
// given konfig.txt and the plain korekcje.txt, on `display` with the card
// `card`, any extra environment and any arguments. Killed if still running,
// and its folder removed, at the end.
class KolvaRun {
 public:
  KolvaRun(const std::string& display, const std::string& konfig, const std::string& card,
           std::vector<std::string> environment = {}, std::vector<std::string> arguments = {}) {
    char pattern[] = "/tmp/kolva-e2e-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return;
    folder_ = pattern;
    std::ofstream(folder_ / "konfig.txt", std::ios::binary) << konfig;
    std::ofstream(folder_ / "korekcje.txt", std::ios::binary) << kPlainCorrections;
    environment.push_back("DISPLAY=" + display);
    environment.push_back("KOLVA_CARD=" + card);
    environment.push_back("QT_QPA_PLATFORM=xcb");
    arguments.insert(arguments.begin(), Program());
    pid_ = Spawn(arguments, folder_.string(), environment);
  }
  ~KolvaRun() {
    if (pid_ > 0 && !Status(false)) {
      ::kill(pid_, SIGKILL);
      Status(true);
    }
    if (!folder_.empty()) fs::remove_all(folder_);
  }
  KolvaRun(const KolvaRun&) = delete;
  KolvaRun& operator=(const KolvaRun&) = delete;

  // The program's path in the build tree; empty without KOLVA_BUILD_DIR.
  static std::string Program() {
    const char* build = std::getenv("KOLVA_BUILD_DIR");
    return build == nullptr ? std::string() : std::string(build) + "/app/ui/kolva";
  }

  // The program's exit status once it has ended (waiting for the end when
  // `wait`). The status is kept: a child reaped once has no pid any more,
  // and asking again must not touch whatever process takes that pid next.
  std::optional<int> Status(bool wait) const {
    if (!status_ && pid_ > 0) status_ = ExitStatus(pid_, wait);
    return status_;
  }

  pid_t Pid() const { return pid_; }
  const fs::path& Folder() const { return folder_; }
  fs::path Results() const { return folder_ / "results.txt"; }

 private:
  fs::path folder_;
  pid_t pid_ = -1;
  mutable std::optional<int> status_;
};

// The first visible window whose name matches `name`, waiting up to 30 s
// while the program runs; empty when none appeared.
inline std::string FindWindow(const std::string& display, const std::string& name,
                              const KolvaRun& program) {
  std::string id;
  WaitFor(
      [&] {
        id = Xdotool(display, {"search", "--onlyvisible", "--name", name});
        return !id.empty() || program.Status(false).has_value();
      },
      seconds(30));
  return id.substr(0, id.find('\n'));
}

// A test of the built kolva under a private Xvfb driven by xdotool: fails
// without the program, is skipped without Xvfb or xdotool.
class KolvaXTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(KolvaRun::Program().empty()) << "KOLVA_BUILD_DIR is not set";
    ASSERT_TRUE(fs::exists(KolvaRun::Program()));
    if (!OnPath("Xvfb") || !OnPath("xdotool")) GTEST_SKIP() << "needs Xvfb and xdotool";
    ASSERT_FALSE(display_.Name().empty()) << "Xvfb did not start";
  }

  void ClickAt(const std::string& window, int x, int y) {
    Xdotool(display_.Name(),
            {"mousemove", "--window", window, std::to_string(x), std::to_string(y)});
    Xdotool(display_.Name(), {"click", "1"});
  }
  // A click in the middle of Button3 (0, 376, 297 x 41 in the window).
  void ClickStart(const std::string& window) { ClickAt(window, 148, 396); }

  PrivateDisplay display_;
};

}  // namespace kolva::xsession
