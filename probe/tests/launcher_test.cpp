// SPDX-License-Identifier: MIT
// The launcher lives in platform/, but its test sits beside the probe: the
// probe is the program it starts, built into this test's own folder.
#include "platform/launcher.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace kolva::platform {
namespace {

namespace fs = std::filesystem;

class LauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("kolva-launch-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_ / "bin");
    const char* path = std::getenv("PATH");
    oldPath_ = path != nullptr ? path : "";
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    fs::remove_all(folder_);
  }

  // An executable (or not) file named `name` in the test's bin folder.
  fs::path MakeFile(const std::string& name, bool executable) {
    const fs::path file = folder_ / "bin" / name;
    std::ofstream(file) << "#!/bin/sh\nexit 0\n";
    fs::permissions(file, executable ? fs::perms::owner_all : fs::perms::owner_read);
    return file;
  }

  fs::path folder_;
  std::string oldPath_;
};

TEST_F(LauncherTest, LooksInTheProgramsOwnFolderFirst) {
  const std::string own = std::string(std::getenv("KOLVA_BUILD_DIR")) + "/probe/probecard";
  MakeFile("probecard", true);
  setenv("PATH", (folder_ / "bin").c_str(), 1);
  EXPECT_EQ(fs::canonical(FindProgram("probecard")), fs::canonical(own));
}

TEST_F(LauncherTest, ThenSearchesPath) {
  const fs::path tool = MakeFile("kolva-test-tool", true);
  MakeFile("kolva-test-plain", false);
  setenv("PATH", ("/nonexistent::" + (folder_ / "bin").string()).c_str(), 1);
  EXPECT_EQ(FindProgram("kolva-test-tool"), tool.string());
  EXPECT_EQ(FindProgram("kolva-test-plain"), "");  // not executable
  EXPECT_EQ(FindProgram("kolva-no-such-program"), "");
  EXPECT_EQ(FindProgram("bin/kolva-test-tool"), "");  // a name, not a path
  EXPECT_FALSE(LaunchProgram("kolva-no-such-program"));
}

TEST_F(LauncherTest, StartsTheProbeWithoutWaitingAndLeavesNoChild) {
  const fs::path work = folder_ / "work";
  fs::create_directories(work);
  const int watch = inotify_init1(IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(inotify_add_watch(watch, work.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
  const fs::path before = fs::current_path();
  fs::current_path(work);
  setenv("KOLVA_CARD", "sim,base=0x2A0", 1);
  const bool launched = LaunchProgram("probecard");
  fs::current_path(before);
  unsetenv("KOLVA_CARD");
  ASSERT_TRUE(launched);
  // The intermediate child is already reaped and the probe is not ours.
  errno = 0;
  EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);
  // Wait for the probe's rename of bar.txt into place (a bound, not a sleep).
  pollfd ready{watch, POLLIN, 0};
  while (!fs::exists(work / "bar.txt") && poll(&ready, 1, 10'000) > 0) {
    char events[4096];
    ASSERT_GT(read(watch, events, sizeof events), 0);
  }
  close(watch);
  std::ifstream bar(work / "bar.txt", std::ios::binary);
  std::string line((std::istreambuf_iterator<char>(bar)), std::istreambuf_iterator<char>());
  EXPECT_EQ(line, "$02A0\r\n");
}

}  // namespace
}  // namespace kolva::platform
