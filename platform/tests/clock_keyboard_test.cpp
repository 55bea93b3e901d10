// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "platform/clock.h"
#include "platform/scan_code_latch.h"
#include "platform/x11_keyboard_port.h"

namespace kolva::platform {
namespace {

TEST(Clock, CounterTicksAreExactAtTheAssumedRate) {
  struct Case {
    std::int64_t seconds, nanoseconds, ticks;
  };
  for (const Case& c : std::vector<Case>{{0, 0, 0},
                                         {1, 0, 1'193'180},
                                         {0, 500'000'000, 596'590},
                                         {0, 1'000'000, 1'193},  // 1 ms
                                         {0, 999'999'999, 1'193'179},
                                         {86'400, 0, 103'090'752'000},
                                         // a century of uptime stays exact
                                         {3'155'760'000, 1, 3'765'389'716'800'000}}) {
    EXPECT_EQ(CounterTicksFor(c.seconds, c.nanoseconds), c.ticks) << c.seconds;
  }
}

TEST(Clock, SystemClockNeverRunsBackwards) {
  SystemClock clock;
  std::int64_t last = clock.QueryPerformanceCounter();
  for (int i = 0; i < 1000; ++i) {
    const std::int64_t now = clock.QueryPerformanceCounter();
    EXPECT_GE(now, last);
    last = now;
  }
}

TEST(ScanCodeLatch, HoldsTheLastPressOrRelease) {
  ScanCodeLatch latch;
  EXPECT_EQ(latch.ReadScanCode(), 0);
  latch.NoteKeyPressed(31);
  EXPECT_EQ(latch.ReadScanCode(), 31);
  EXPECT_EQ(latch.ReadScanCode(), 31);  // reading does not clear it
  latch.NoteKeyReleased(31);
  EXPECT_EQ(latch.ReadScanCode(), 0x9F);
  latch.NoteKeyPressed(0x9E);  // a press code never carries the release bit
  EXPECT_EQ(latch.ReadScanCode(), 0x1E);
}

TEST(X11KeyboardPort, WithoutAServerTheLatchAnswers) {
  FakeClock clock;
  ScanCodeLatch latch;
  X11KeyboardPort port(clock, latch, "unix:/nonexistent/kolva-test-display");
  EXPECT_FALSE(port.Connected());
  latch.NoteKeyPressed(31);
  EXPECT_EQ(port.ReadScanCode(), 31);
  latch.NoteKeyReleased(31);
  EXPECT_EQ(port.ReadScanCode(), 0x9F);
}

// A private X server for one test: Xvfb tells its display number through a
// pipe once it accepts connections, so nothing waits on time. No reset when
// the last client leaves, so a second connection is never refused.
class PrivateXServer {
 public:
  PrivateXServer() {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      const std::string fd = std::to_string(fds[1]);
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-noreset", nullptr);
      _exit(127);
    }
    close(fds[1]);
    char buffer[16] = {};
    std::string number;
    ssize_t got = 0;
    while ((got = read(fds[0], buffer, sizeof buffer)) > 0) {
      number.append(buffer, static_cast<std::size_t>(got));
      if (number.find('\n') != std::string::npos) break;
    }
    close(fds[0]);
    if (!number.empty() && number.back() == '\n')
      display_ = ":" + number.substr(0, number.size() - 1);
  }
  ~PrivateXServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  const std::string& Display() const { return display_; }
  // Presses or releases a key through the XTEST extension.
  bool Key(const char* action, const char* key) const {
    const std::string command = "DISPLAY=" + display_ + " xdotool " + action + " " + key;
    return std::system(command.c_str()) == 0;
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

TEST(X11KeyboardPort, ReadsTheServersKeyStateAtMostOncePerMillisecond) {
  PrivateXServer server;
  if (server.Display().empty()) GTEST_SKIP() << "Xvfb is not available";
  FakeClock clock;
  ScanCodeLatch latch;
  X11KeyboardPort port(clock, latch, server.Display().c_str());
  ASSERT_TRUE(port.Connected());
  EXPECT_EQ(port.ReadScanCode(), 0);
  ASSERT_TRUE(server.Key("keydown", "s"));
  EXPECT_EQ(port.ReadScanCode(), 0);  // within the same millisecond: the last answer stands
  clock.counter += 1193;
  EXPECT_EQ(port.ReadScanCode(), 31);
  ASSERT_TRUE(server.Key("keyup", "s"));
  EXPECT_EQ(port.ReadScanCode(), 31);
  clock.counter += 1193;
  EXPECT_EQ(port.ReadScanCode(), 0);
  // The window saw the press but not yet the release: the server's state wins.
  latch.NoteKeyPressed(31);
  EXPECT_EQ(port.ReadScanCode(), 0x9F);
}

}  // namespace
}  // namespace kolva::platform
