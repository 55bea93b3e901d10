// SPDX-License-Identifier: MIT
// Two runs on one results file: while a kolva-record child records into it,
// a second kolva-record and the window's run (the same run code, in this
// process) are refused, and the first run's file stays whole.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <thread>

#include "app/text/errors.h"
#include "tools/tests/recorder_child.h"
#include "tools/tests/recorder_model.h"

namespace kolva::tools::testing {
namespace {

constexpr const char* kCard = "sim,in1=dc:123.4mV,in2=dc:-45.6mV";
constexpr auto kPatience = std::chrono::seconds(20);

// A child that is killed if the test leaves before it ended.
class Child {
 public:
  explicit Child(pid_t pid) : pid_(pid) {}
  ~Child() {
    if (pid_ > 0 && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, nullptr, 0);
  }
  // Its exit status after `signal` (none for 0), or -1 when it has not
  // exited within kPatience.
  int Exit(int signal = 0) {
    if (signal != 0) ::kill(pid_, signal);
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }

 private:
  pid_t pid_;
};

TEST(RecorderLockTest, ASecondRunOnTheResultsFileIsRefusedAndTheFirstStaysWhole) {
  ScratchFolder folder;
  const std::string results = (folder / "out.txt").string();
  Child first(
      StartRecorder(folder.Path(), kCard, {"--interval", "0.001", "--length", "1", "out.txt"}, -1));
  // Data lines on disk: the run is sampling, its file locked since before
  // the header.
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (ReadAll(results).size() < 2000) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << ReadAll(folder / "stderr.txt");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }

  ScratchFolder other;  // its own stderr.txt
  Child second(StartRecorder(other.Path(), kCard, {"--length", "0.005", results}, -1));
  EXPECT_EQ(second.Exit(), 1);
  const std::string err = ReadAll(other / "stderr.txt");
  // The refusal is its last line (the sampler may first say how it is scheduled).
  EXPECT_TRUE(("\n" + err).ends_with("\nkolva-record: " + results + ": File access denied.\n"))
      << err;

  app::RunSettings settings = KonfigSettings();
  settings.intervalText = "0.001";
  settings.lengthText = "1";
  try {
    RunModel(kCard, settings, 5, results);
    ADD_FAILURE() << "the window's run was not refused";
  } catch (const app::IoError& error) {
    EXPECT_EQ(error.Code(), 5);
    EXPECT_STREQ(error.what(), "File access denied");
  }

  ASSERT_EQ(first.Exit(SIGINT), 0) << ReadAll(folder / "stderr.txt");
  // The first run's file: its own header and readings, every byte as the
  // model run writes them for as many readings.
  const std::string text = ReadAll(results);
  ASSERT_EQ(text.find('\0'), std::string::npos) << "NUL bytes: the file was emptied under the run";
  const auto lines = CrLfLines(text);
  ASSERT_TRUE(lines) << "text after the last CR LF";
  ASSERT_GE(lines->size(), 11u + 20u);
  EXPECT_TRUE(std::regex_match((*lines)[0], std::regex("Date of the measurement - \\S+")));
  const std::string model = (folder / "model.txt").string();
  RunModel(kCard, settings, lines->size() - 11, model);
  const std::string expected = ReadAll(model);
  const auto afterTime = [](const std::string& t) {
    return t.substr(t.find("\r\n", t.find("\r\n") + 2));
  };
  EXPECT_EQ(afterTime(text), afterTime(expected));
}

}  // namespace
}  // namespace kolva::tools::testing
