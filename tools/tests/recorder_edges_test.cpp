// SPDX-License-Identifier: MIT
// kolva-record at the edges a shell puts it on: hang-ups and a reader that
// goes away, closed standard descriptors, a full disk under the picture,
// values the run cannot time, a user without real-time scheduling, a
// terminal during the trigger wait and missing settings files.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <regex>
#include <thread>

#include "tools/record_options.h"
#include "tools/tests/recorder_child.h"

namespace kolva::tools::testing {
namespace {

constexpr const char* kCard = "sim,in1=dc:123.4mV,in2=dc:-45.6mV";
using Clock = std::chrono::steady_clock;

// kolva-record in `folder` with stdin and stdout on /dev/null and stderr in
// stderr.txt; `arrange` runs in the child just before it starts the program.
pid_t Spawn(const fs::path& folder, const std::string& card, const std::vector<std::string>& args,
            const std::function<void()>& arrange = {}) {
  return StartRecorder(folder, card, args, -1, arrange);
}

// Waits up to 20 s for `ready`; false when it never came.
bool Within20s(const std::function<bool()>& ready) {
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (!ready()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

// Appends what `fd` gives to `text` until the writer closed it (or a
// pseudo-terminal's child side went), until `enough` holds or for 20 s at most.
void ReadUntil(int fd, std::string& text, const std::function<bool()>& enough) {
  char buffer[4096];
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  while (!enough() && Clock::now() < deadline) {
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, 100) == 0) continue;  // nothing yet: look at the clock again
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;  // EIO once the child has closed its side
    text.append(buffer, static_cast<std::size_t>(n));
  }
}

const std::regex kSummary(
    "kolva-record: (\\d+) readings taken, \\d+ due, \\d+ late by more than one period, worst "
    "lateness "
    "[0-9.]+ ms(; .*)?");

// A long run already sampling into out.txt.
pid_t StartLongRun(const ScratchFolder& folder, const std::function<void()>& arrange = {}) {
  const pid_t pid =
      Spawn(folder.Path(), kCard,
            {"--interval", "0.001", "--length", "1", "--trigger", "off", "out.txt"}, arrange);
  EXPECT_TRUE(Within20s([&] { return ReadAll(folder / "out.txt").size() > 2000; }));
  return pid;
}

TEST(RecorderSignalEdgeTest, HangUpEndsTheRunAsCtrlCWithEveryReadingInTheFile) {
  ScratchFolder folder;
  const pid_t pid = StartLongRun(folder);
  ASSERT_EQ(::kill(pid, SIGHUP), 0);
  ASSERT_EQ(WaitExit(pid), 0);
  const std::vector<std::string> err = Lines(ReadAll(folder / "stderr.txt"));
  std::smatch summary;
  ASSERT_FALSE(err.empty());
  ASSERT_TRUE(std::regex_match(err.back(), summary, kSummary)) << err.back();
  const auto lines = CrLfLines(ReadAll(folder / "out.txt"));
  ASSERT_TRUE(lines);
  EXPECT_EQ(lines->size() - 11, std::stoul(summary[1]));
}

TEST(RecorderSignalEdgeTest, HangUpIgnoredAtStartStaysIgnored) {
  ScratchFolder folder;
  const pid_t pid = StartLongRun(folder, [] { ::signal(SIGHUP, SIG_IGN); });
  ASSERT_EQ(::kill(pid, SIGHUP), 0);
  const std::size_t before = ReadAll(folder / "out.txt").size();
  EXPECT_TRUE(Within20s([&] { return ReadAll(folder / "out.txt").size() > before + 2000; }))
      << "the run stopped on SIGHUP";
  ASSERT_EQ(::kill(pid, SIGTERM), 0);
  EXPECT_EQ(WaitExit(pid), 0);
}

TEST(RecorderSignalEdgeTest, ReaderGoneEndsWithTheIoErrorAndStatus1) {
  ScratchFolder folder;
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t pid = Spawn(folder.Path(), kCard,
                          {"--interval", "0.001", "--length", "1", "--trigger", "off", "-"}, [&] {
                            ::dup2(fds[1], STDOUT_FILENO);
                            ::close(fds[0]);
                            ::close(fds[1]);
                          });
  ::close(fds[1]);
  std::string got;
  ReadUntil(fds[0], got, [&] { return got.size() >= 3000; });
  ::close(fds[0]);
  ASSERT_GE(got.size(), 3000u);
  EXPECT_TRUE(got.starts_with("Date of the measurement - "));
  EXPECT_EQ(WaitExit(pid), 1);
  EXPECT_TRUE(ReadAll(folder / "stderr.txt").ends_with("kolva-record: -: I/O error 32.\n"));
}

TEST(RecorderDescriptorTest, ClosedStandardOutputIsNeitherResultsNorAFilesNumber) {
  ScratchFolder folder;
  auto closeInAndOut = [] {
    ::close(STDIN_FILENO);
    ::close(STDOUT_FILENO);
  };
  EXPECT_EQ(WaitExit(Spawn(folder.Path(), kCard, {"-"}, closeInAndOut)), 1);
  EXPECT_EQ(ReadAll(folder / "stderr.txt"),
            "kolva-record: -: standard output is closed; name a results file instead\n");
  // A results file opened while descriptor 1 is free must not become it.
  EXPECT_EQ(WaitExit(Spawn(folder.Path(), kCard, {"--trigger", "off", "out.txt"}, closeInAndOut)),
            0);
  const auto lines = CrLfLines(ReadAll(folder / "out.txt"));
  ASSERT_TRUE(lines);
  EXPECT_GE(lines->size(), 11u + 20u);
  const std::vector<std::string> err = Lines(ReadAll(folder / "stderr.txt"));
  EXPECT_TRUE(!err.empty() && std::regex_match(err.back(), kSummary));
}

TEST(RecorderPictureTest, DeviceThatFillsIsRefusedWithTheSystemsReason) {
  ScratchFolder folder;
  const int status = WaitExit(Spawn(folder.Path(), kCard, {"-q", "--png", "/dev/full", "out.txt"}));
  EXPECT_EQ(status, 1);
  EXPECT_EQ(ReadAll(folder / "stderr.txt"),
            "kolva-record: /dev/full: The picture could not be written (No space left on "
            "device)\n");
  struct stat info {};
  ASSERT_EQ(::stat("/dev/full", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode)) << "the device was replaced";
}

// A tmpfs of 16 KiB that an older picture and a filler nearly fill.
class SmallDisk {
 public:
  explicit SmallDisk(const fs::path& at) : at_(at) {
    fs::create_directory(at_);
    mounted_ = ::mount("kolva-test", at_.c_str(), "tmpfs", 0, "size=16k") == 0;
    why_ = mounted_ ? "" : std::string("mount -t tmpfs: ") + std::strerror(errno);
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(at_.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return mounted_; }
  const std::string& Why() const { return why_; }

 private:
  fs::path at_;
  bool mounted_ = false;
  std::string why_;
};

TEST(RecorderPictureTest, FullDiskKeepsTheOlderPictureAndLeavesNoPart) {
  ScratchFolder folder;
  const SmallDisk disk(folder / "disk");
  if (!disk.Mounted()) GTEST_SKIP() << disk.Why() << " (needs root)";
  WriteAll(folder / "disk/p.png", "older picture");
  WriteAll(folder / "disk/filler", std::string(8 * 1024, 'x'));
  const int status = WaitExit(
      Spawn(folder.Path(), kCard, {"-q", "--size", "1600x1200", "--png", "disk/p.png", "out.txt"}));
  EXPECT_EQ(status, 1);
  EXPECT_EQ(ReadAll(folder / "stderr.txt"),
            "kolva-record: disk/p.png: The picture could not be written (No space left on "
            "device)\n");
  EXPECT_EQ(ReadAll(folder / "disk/p.png"), "older picture");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder / "disk"), fs::directory_iterator()), 2);
}

TEST(RecorderPictureTest, PictureThroughALinkReplacesTheFileItNames) {
  ScratchFolder folder;
  WriteAll(folder / "real.png", "older picture");
  fs::create_symlink("real.png", folder / "link.png");
  const Finished done = RunRecorder(folder.Path(), kCard, {"-q", "--png", "link.png", "out.txt"});
  EXPECT_EQ(done.status, 0) << done.err;
  EXPECT_TRUE(fs::is_symlink(folder / "link.png"));
  EXPECT_TRUE(ReadAll(folder / "real.png").starts_with("\x89PNG"));
}

// Values at the largest the run can time and just beyond, as options.
TEST(RecorderBoundsTest, IntervalAndLengthAreRefusedJustBeyondWhatTheRunCanTime) {
  for (const char* option : {"--interval", "--length"}) {
    const std::string at = option == std::string("--interval") ? kLongestInterval : kLongestLength;
    const std::string beyond =
        option == std::string("--interval") ? "7730075962432.136" : "71582.789";
    EXPECT_NO_THROW(ParseRecordOptions({option, at, "x"})) << option;
    for (const std::string& value : {beyond, std::string("1e15"), std::string("1e300")}) {
      try {
        ParseRecordOptions({option, value, "x"});
        ADD_FAILURE() << option << " " << value << " accepted";
      } catch (const UsageError& error) {
        EXPECT_TRUE(std::string(error.what())
                        .starts_with(std::string(option) + ": '" + value + "' gives a "))
            << error.what();
      }
    }
  }
}

TEST(RecorderBoundsTest, TheLongestIntervalRunsAndKonfigsBeyondItIsRefused) {
  ScratchFolder folder;
  Finished done = RunRecorder(folder.Path(), kCard,
                              {"-q", "--interval", kLongestInterval, "--length", "0", "out.txt"});
  EXPECT_EQ(done.status, 0) << done.err;
  EXPECT_EQ(done.err, "");
  WriteAll(folder / "konfig.txt", Konfig("1e15", "0.005"));
  done = RunRecorder(folder.Path(), kCard, {"-q", "out2.txt"});
  EXPECT_EQ(done.status, 1);
  EXPECT_EQ(done.err,
            "kolva-record: konfig.txt: '1e15' gives a sampling period the run cannot count (at "
            "most 7730075962432.135 seconds)\n");
  EXPECT_FALSE(fs::exists(folder / "out2.txt"));
}

// Run without real-time scheduling: as nobody when root, with no real-time
// priority allowed.
void WithoutRealtime() {
  const rlimit none{0, 0};
  ::setrlimit(RLIMIT_RTPRIO, &none);
  if (::getuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(125);
}

TEST(RecorderQuietTest, NoteIsTheRecordersAndQuietLeavesOnlyErrors) {
  ScratchFolder folder;
  fs::permissions(folder.Path(), fs::perms::all);
  Finished done;
  done.status = WaitExit(Spawn(folder.Path(), kCard, {"out.txt"}, WithoutRealtime));
  done.err = ReadAll(folder / "stderr.txt");
  EXPECT_EQ(done.status, 0) << done.err;
  const std::vector<std::string> lines = Lines(done.err);
  ASSERT_EQ(lines.size(), 2u) << done.err;
  EXPECT_TRUE(lines[0].starts_with("kolva-record: the sampler runs without real-time scheduling ("))
      << lines[0];
  EXPECT_TRUE(std::regex_match(lines[1], kSummary));

  done.status = WaitExit(Spawn(folder.Path(), kCard, {"-q", "out.txt"}, WithoutRealtime));
  EXPECT_EQ(done.status, 0);
  EXPECT_EQ(ReadAll(folder / "stderr.txt"), "");
  // Errors only, each line in the recorder's name: a bad option, and the
  // real card refused to an unprivileged user (the port layer's line too).
  done.status = WaitExit(Spawn(folder.Path(), kCard, {"-q", "--bogus"}, WithoutRealtime));
  EXPECT_EQ(done.status, 2);
  for (const std::string& line : Lines(ReadAll(folder / "stderr.txt"))) {
    EXPECT_TRUE(line.starts_with("kolva-record: ")) << line;
  }
  if (::getuid() == 0) {
    done.status = WaitExit(Spawn(folder.Path(), "", {"-q", "out.txt"}, WithoutRealtime));
    EXPECT_EQ(done.status, 1);
    const std::vector<std::string> refused = Lines(ReadAll(folder / "stderr.txt"));
    ASSERT_EQ(refused.size(), 2u);
    for (const std::string& line : refused) EXPECT_TRUE(line.starts_with("kolva-record: ")) << line;
  }
}

TEST(RecorderTriggerTest, TerminalShowsTheWaitAndTheSummarySaysTheTriggerNeverCame) {
  ScratchFolder folder;
  int master = -1;
  int slave = -1;
  ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  const pid_t pid = Spawn(folder.Path(), kCard, {"--trigger", "1", "out.txt"},
                          [&] { ::dup2(slave, STDERR_FILENO); });
  ::close(slave);
  std::string screen;
  ReadUntil(master, screen, [&] { return screen.find(" waited") != std::string::npos; });
  EXPECT_NE(screen.find("] waiting for the trigger at level 1  0:0"), std::string::npos) << screen;
  ASSERT_EQ(::kill(pid, SIGINT), 0);
  ReadUntil(master, screen, [] { return false; });
  ::close(master);
  EXPECT_EQ(WaitExit(pid), 0);
  EXPECT_TRUE(
      screen.ends_with("kolva-record: 0 readings taken, 0 due, 0 late by more than one period, "
                       "worst lateness 0.000 ms; the "
                       "trigger never came (waited for level 1)\r\n"))
      << screen;
}

TEST(RecorderTriggerTest, TriggerThatCameIsNotSaidToHaveFailed) {
  ScratchFolder folder;
  const Finished done = RunRecorder(folder.Path(), std::string(kCard) + ",trigger=0",
                                    {"--trigger", "0", "--length", "0.001", "out.txt"});
  EXPECT_EQ(done.status, 0);
  ASSERT_FALSE(Lines(done.err).empty());
  std::smatch summary;
  const std::string last = Lines(done.err).back();
  ASSERT_TRUE(std::regex_match(last, summary, kSummary)) << done.err;
  EXPECT_EQ(summary[2], "") << done.err;
}

TEST(RecorderMissingFileTest, EachMissingFileSaysHowToMakeIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"bar.txt", "run probecard in this folder"},
      {"konfig.txt", "kolva-start makes ~/kolva with a default konfig.txt and korekcje.txt"},
      {"korekcje.txt", "the printf lines of the README's \"Recording from the shell\""}};
  for (const auto& [file, hint] : cases) {
    ScratchFolder folder;
    fs::remove(folder / file);
    const Finished done = RunRecorder(folder.Path(), kCard, {"out.txt"});
    EXPECT_EQ(done.status, 1);
    const std::vector<std::string> lines = Lines(done.err);
    ASSERT_EQ(lines.size(), 2u) << done.err;
    EXPECT_EQ(lines[0], "kolva-record: " + std::string(file) + ": File not found.");
    EXPECT_TRUE(lines[1].starts_with("kolva-record: ")) << lines[1];
    EXPECT_NE(lines[1].find(hint), std::string::npos) << lines[1];
  }
}

}  // namespace
}  // namespace kolva::tools::testing
