// SPDX-License-Identifier: MIT
// kolva-record --png --from as a child process, on results files that are
// no file or hold bytes a terminal would act on: it ends at once, with
// status 1 and a message that shows on the terminal as plain text.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "tools/tests/recorder_child.h"
#include "wykres/tests/results_header.h"

namespace kolva::tools::testing {
namespace {

// The child's exit status, or -1 when it has not ended within `limit`: it
// is then killed, so a recorder that hangs fails the test in seconds.
int WaitExitWithin(pid_t pid, std::chrono::seconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (ended < 0 || std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

class RecorderFromInputTest : public ::testing::Test {
 protected:
  Finished DrawFrom(const std::string& results) {
    Finished done;
    done.status = WaitExitWithin(
        StartRecorder(folder_.Path(), "sim", {"--png", "o.png", "--from", results}, -1),
        std::chrono::seconds(10));
    done.err = ReadAll(folder_ / "stderr.txt");
    return done;
  }

  ScratchFolder folder_;
};

// A FIFO nobody writes to would block the open for ever.
TEST_F(RecorderFromInputTest, AFifoIsRefusedAtOnce) {
  ASSERT_EQ(::mkfifo((folder_ / "results.fifo").c_str(), 0600), 0);
  const Finished done = DrawFrom("results.fifo");
  EXPECT_EQ(done.status, 1) << "-1: still running after 10 s";
  EXPECT_EQ(done.err, "kolva-record: results.fifo: File access denied.\n");
  EXPECT_FALSE(fs::exists(folder_ / "o.png"));
}

// A line with a terminal's escape sequence, and a file whose lines end in
// CR alone: each named, its bytes escaped.
TEST_F(RecorderFromInputTest, FileBytesReachTheTerminalEscaped) {
  const std::string header = wykres::testing::kResultsHeader;
  WriteAll(folder_ / "escape.txt", header + "0  1  2  3\r\n\x1B]0;title\x07\x1B[2J 1 2 3\r\n");
  Finished done = DrawFrom("escape.txt");
  EXPECT_EQ(done.status, 1);
  EXPECT_EQ(done.err,
            "kolva-record: escape.txt, line 13: not a line of results: "
            "\"\\x1B]0;title\\x07\\x1B[2J 1 2 3\"\n");

  WriteAll(folder_ / "mac.txt", header + "0  1  2  3\r1  1  2  3\r");
  done = DrawFrom("mac.txt");
  EXPECT_EQ(done.status, 1);
  EXPECT_EQ(done.err,
            "kolva-record: mac.txt, line 12: the lines end in CR only, not in CR LF or LF.\n");
}

}  // namespace
}  // namespace kolva::tools::testing
