// SPDX-License-Identifier: MIT
// The built kolva-record as a child process in a scratch folder that holds
// bar.txt, konfig.txt and korekcje.txt, on the simulated card.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace kolva::tools::testing {

namespace fs = std::filesystem;

inline std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

inline void WriteAll(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A konfig.txt: offsets 0, the interval and length texts, LOW range, trigger
// on level 1 but disabled, results shown.
inline std::string Konfig(const std::string& interval, const std::string& length) {
  return "0\r\n0\r\n" + interval + "\r\n" + length + "\r\nfalse\r\ntrue\r\nfalse\r\ntrue\r\n";
}

// A scratch folder with the three settings files kolva-record reads; removed
// at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    char name[] = "/tmp/kolva-record-test-XXXXXX";
    path_ = ::mkdtemp(name);
    WriteAll(path_ / "bar.txt", "$D800\r\n");
    WriteAll(path_ / "konfig.txt", Konfig("0.01", "0.005"));
    WriteAll(path_ / "korekcje.txt", "0\r\n0\r\n1\r\n1\r\n366.2109375\r\n3906.25\r\n");
  }
  ~ScratchFolder() { fs::remove_all(path_); }
  const fs::path& Path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

inline std::string RecorderPath() {
  const char* build = std::getenv("KOLVA_BUILD_DIR");
  return std::string(build != nullptr ? build : ".") + "/tools/kolva-record";
}

// kolva-record started in `folder` with KOLVA_CARD=`card`, without DISPLAY
// or QT_QPA_PLATFORM; stdout to `outFd` (else /dev/null), stderr to
// folder/stderr.txt; `arrange` runs in the child just before the program.
inline pid_t StartRecorder(const fs::path& folder, const std::string& card,
                           const std::vector<std::string>& args, int outFd,
                           const std::function<void()>& arrange = {}) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  if (::chdir(folder.c_str()) != 0) ::_exit(126);
  ::setenv("KOLVA_CARD", card.c_str(), 1);
  ::unsetenv("DISPLAY");
  ::unsetenv("QT_QPA_PLATFORM");
  const int err = ::open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int null = ::open("/dev/null", O_RDWR);
  ::dup2(null, STDIN_FILENO);
  ::dup2(outFd >= 0 ? outFd : null, STDOUT_FILENO);
  ::dup2(err, STDERR_FILENO);
  ::close(null);
  ::close(err);
  if (arrange) arrange();
  const std::string program = RecorderPath();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

// How long a test waits for the child: every run the tests start ends in a
// second or two, so one still going after this never will.
constexpr std::chrono::seconds kChildLimit{20};

// The exit status (128 + signal when killed). A child still running after
// kChildLimit fails the test, is killed, and answers -1.
inline int WaitExit(pid_t pid) {
  const auto deadline = std::chrono::steady_clock::now() + kChildLimit;
  int status = 0;
  pid_t done = 0;
  while ((done = ::waitpid(pid, &status, WNOHANG)) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ADD_FAILURE() << "kolva-record (pid " << pid << ") has not exited within "
                    << kChildLimit.count() << " s; killed";
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    ::usleep(2000);
  }
  if (done != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Everything read from `fd` until its end, waiting kChildLimit at most: a
// writer that never closes fails the test with what had arrived.
inline std::string ReadToEnd(int fd) {
  const auto deadline = std::chrono::steady_clock::now() + kChildLimit;
  std::string text;
  char buffer[4096];
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ready{fd, POLLIN, 0};
    if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) == 0) {
      ADD_FAILURE() << "the pipe has not closed within " << kChildLimit.count() << " s; it held "
                    << text.size() << " bytes";
      return text;
    }
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got <= 0) return text;
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

struct Finished {
  int status = -1;
  std::string err;  // what it wrote on stderr
};

inline Finished RunRecorder(const fs::path& folder, const std::string& card,
                            const std::vector<std::string>& args) {
  Finished done;
  done.status = WaitExit(StartRecorder(folder, card, args, -1));
  done.err = ReadAll(folder / "stderr.txt");
  return done;
}

// The lines of a results file, each ended by CR LF; nullopt when any text
// follows the last CR LF.
inline std::optional<std::vector<std::string>> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  if (start != text.size()) return std::nullopt;
  return lines;
}

}  // namespace kolva::tools::testing
