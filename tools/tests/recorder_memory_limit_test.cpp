// SPDX-License-Identifier: MIT
// kolva-record --png --from a results file whose readings need more memory
// than the process may have (a memory cgroup; root only): the chart keeps
// its long columns in files, so it ends normally with the same picture as
// without the limit.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "app/text/textconv.h"
#include "tools/tests/recorder_child.h"

namespace kolva::tools::testing {
namespace {

// 6 million readings: 192 MB of chart values, half again the limit.
constexpr int kReadings = 6'000'000;
constexpr const char* kLimit = "128M";

// A memory cgroup of its own: v2's where the unified hierarchy has the
// memory controller, else v1's below the cgroup this process is in.
class MemoryGroup {
 public:
  MemoryGroup() {
    const std::string name = "kolva-test-" + std::to_string(::getpid());
    const std::string controllers = ReadAll("/sys/fs/cgroup/cgroup.controllers");
    if (controllers.find("memory") != std::string::npos) {
      path_ = fs::path("/sys/fs/cgroup") / name;
      limitFile_ = "memory.max";
      eventsFile_ = "memory.events";
    } else {
      std::ifstream groups("/proc/self/cgroup");
      for (std::string line; std::getline(groups, line);) {
        const auto a = line.find(':'), b = line.find(':', a + 1);
        const std::string kinds = "," + line.substr(a + 1, b - a - 1) + ",";
        if (kinds.find(",memory,") != std::string::npos)
          path_ = fs::path("/sys/fs/cgroup/memory" + line.substr(b + 1)) / name;
      }
      limitFile_ = "memory.limit_in_bytes";
      eventsFile_ = "memory.oom_control";
    }
    std::error_code error;
    if (path_.empty() || !fs::create_directory(path_, error)) {
      path_.clear();
      return;
    }
    std::ofstream(path_ / limitFile_) << kLimit;
  }
  ~MemoryGroup() {
    if (!path_.empty()) ::rmdir(path_.c_str());
  }
  bool Made() const { return !path_.empty(); }
  // Runs in the child before the program: it and what it starts are in the
  // group from then on.
  void Enter() const { std::ofstream(path_ / "cgroup.procs") << ::getpid(); }
  std::string OomKills() const {
    const std::string events = ReadAll(path_ / eventsFile_);
    const auto at = events.find("oom_kill ");
    return at == std::string::npos ? "?" : events.substr(at + 9, events.find('\n', at) - at - 9);
  }

 private:
  fs::path path_;
  std::string limitFile_, eventsFile_;
};

// A results file as a run writes it: a sine and a ramp at 1 ms.
void WriteResults(const fs::path& path) {
  std::ofstream out(path, std::ios::binary);
  out << "Date of the measurement - 09.12.2026\r\nTime of the measurement - 10:00:00\r\n \r\n"
         " \r\nTime between samples in seconds - 0.001\r\n \r\nMeasurement lenth in minutes - "
         "100\r\n \r\n \r\nNR of the sample    INP1     INP2     TIME BASE\r\n \r\n";
  std::string lines;
  for (int n = 0; n < kReadings; ++n) {
    lines += app::IntText(n) + "              " + app::FormatText("%2.3f", n % 1400 - 700.0) +
             "    " + app::FormatText("%2.3f", n % 2000 * 0.5 - 500) + "         " +
             app::FloatText(0.001L * n) + "\r\n";
    if (lines.size() > (1 << 20)) out << lines, lines.clear();
  }
  out << lines;
}

TEST(RecorderMemoryLimitTest, ALongFileDrawsInsideTheLimitAsItDrawsWithout) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a memory cgroup";
  const MemoryGroup group;
  if (!group.Made()) GTEST_SKIP() << "no memory cgroup can be made here";
  ScratchFolder folder;
  struct DiskFolder {  // on a disk, not in RAM; removed however the test ends
    char name[40] = "/var/tmp/kolva-memory-limit-XXXXXX";
    fs::path path = ::mkdtemp(name);
    ~DiskFolder() { fs::remove_all(path); }
  } disk;
  const fs::path results = disk.path / "results.txt";
  WriteResults(results);
  const auto draw = [&](const std::string& picture, bool limited) {
    const pid_t child = StartRecorder(folder.Path(), "sim",
                                      {"--png", picture, "--from", results.string()}, -1, [&] {
                                        ::unsetenv("KOLVA_SPILL_DIR");
                                        ::unsetenv("TMPDIR");
                                        if (limited) group.Enter();
                                      });
    return WaitExit(child);
  };
  EXPECT_EQ(draw("free.png", false), 0) << ReadAll(folder / "stderr.txt");
  EXPECT_EQ(draw("limited.png", true), 0) << ReadAll(folder / "stderr.txt");
  EXPECT_EQ(group.OomKills(), "0");
  const std::string free = ReadAll(folder / "free.png");
  EXPECT_FALSE(free.empty());
  EXPECT_TRUE(free == ReadAll(folder / "limited.png")) << "the pictures differ";
}

}  // namespace
}  // namespace kolva::tools::testing
