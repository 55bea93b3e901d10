// SPDX-License-Identifier: MIT
// kolva-record --png --from as a child process, on results files that are
// no file: it ends at once, with status 1 and the message.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "tools/tests/recorder_child.h"

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

}  // namespace
}  // namespace kolva::tools::testing
