// SPDX-License-Identifier: MIT
// The files long series keep their values in: the folder they go to, a
// disk that fills under a run, and a process killed while it holds them.
#include <gtest/gtest.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "chart/chart_series.h"
#include "chart/pod_array.h"
#include "chart/spill_file.h"

namespace kolva::chart {
namespace {

namespace fs = std::filesystem;

std::string MakeFolder(const char* pattern) {
  std::string name = pattern;
  return mkdtemp(name.data()) ? name : std::string();
}

bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

bool Empty(const std::string& folder) {
  return fs::is_empty(folder);
}

// Waits up to ten seconds for a byte on the pipe; false when none came.
bool AwaitByte(int fd) {
  pollfd p{fd, POLLIN, 0};
  char byte = 0;
  return poll(&p, 1, 10'000) == 1 && read(fd, &byte, 1) == 1;
}

// Adds one reading to both series as a run does; false when the first
// series refused it.
bool AddReading(TChartSeries& a, TChartSeries& b, int i) {
  const int at = a.AddPoint(i * 0.001, i % 97, {}, 255);
  b.AddPoint(i * 0.001, -(i % 89), {}, 0xFFFFFF);
  return at >= 0;
}

class SpillFolders : public ::testing::Test {
 protected:
  void TearDown() override {
    unsetenv("KOLVA_SPILL_DIR");
    unsetenv("TMPDIR");
    SetSpillSettings(SpillSettings{});
    if (!folder.empty()) fs::remove_all(folder);
  }
  std::string folder = MakeFolder("/var/tmp/kolva-spill-test-XXXXXX");
};

// KOLVA_SPILL_DIR, then TMPDIR, then /var/tmp; folders in RAM and
// missing ones are passed over.
TEST_F(SpillFolders, TakenInOrderPassingOverRamAndMissingFolders) {
  ASSERT_FALSE(folder.empty());
  setenv("KOLVA_SPILL_DIR", folder.c_str(), 1);
  setenv("TMPDIR", "/no/such/folder", 1);
  EXPECT_EQ(kolva::chart::SpillFolders(), (std::vector<std::string>{folder, "/var/tmp"}));
  setenv("KOLVA_SPILL_DIR", "/dev/shm", 1);  // tmpfs
  setenv("TMPDIR", folder.c_str(), 1);
  EXPECT_EQ(kolva::chart::SpillFolders(), (std::vector<std::string>{folder, "/var/tmp"}));
}

// With only folders in RAM to go to, the columns stay on the heap, and
// stderr says so once however many columns grow long. Run in a child with
// its own mount namespace, where /var/tmp is a tmpfs.
TEST_F(SpillFolders, OnlyRamFoldersKeepColumnsOnTheHeapAndSayItOnce) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to mount a tmpfs over /var/tmp";
  int err[2];
  ASSERT_EQ(pipe(err), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(err[1], 2);
    if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
        mount("tmpfs", "/var/tmp", "tmpfs", 0, "size=1m") != 0)
      _exit(3);
    setenv("KOLVA_SPILL_DIR", "/dev/shm", 1);
    setenv("TMPDIR", "/var/tmp", 1);
    SetSpillSettings(SpillSettings{300, 16384});
    TChartSeries a("A"), b("B");
    for (int i = 0; i < 5000; ++i)
      if (!AddReading(a, b, i)) _exit(1);
    const bool heap = !a.XValues().Spilled() && !b.YValues().Spilled() && !a.StorageFull();
    _exit(heap && a.PointCount() == 5000 && a.XValue(4999) == 4.999 ? 0 : 2);
  }
  close(err[1]);
  std::string said;
  char buffer[256];
  for (ssize_t n; (n = read(err[0], buffer, sizeof buffer)) > 0;) said.append(buffer, n);
  close(err[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 3) GTEST_SKIP() << "no mount namespace here";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_EQ(said,
            "kolva: no disk-backed folder for long chart columns (KOLVA_SPILL_DIR, TMPDIR, "
            "/var/tmp); they stay in memory\n");
}

// A process killed while its series hold files leaves nothing behind: the
// files never had a name in the folder.
TEST_F(SpillFolders, AKilledProcessLeavesNoFile) {
  ASSERT_FALSE(folder.empty());
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    setenv("KOLVA_SPILL_DIR", folder.c_str(), 1);
    SetSpillSettings(SpillSettings{300, 16384});
    TChartSeries a("A"), b("B");
    for (int i = 0; i < 20000; ++i) AddReading(a, b, i);
    if (a.XValues().Spilled() && b.YValues().Spilled()) (void)!write(ready[1], "r", 1);
    pause();
    _exit(0);
  }
  close(ready[1]);
  const bool spilled = AwaitByte(ready[0]);
  close(ready[0]);
  // The child's open files in the folder, seen from outside.
  int held = 0;
  std::error_code ec;
  for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(child) + "/fd", ec))
    held += fs::read_symlink(fd.path(), ec).string().rfind(folder + "/", 0) == 0 ? 1 : 0;
  const bool emptyWhileHeld = Empty(folder);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  ASSERT_TRUE(spilled) << "the child's columns never moved into files";
  EXPECT_EQ(held, 4);  // X and Y of two series
  EXPECT_TRUE(emptyWhileHeld);
  EXPECT_TRUE(Empty(folder));
}

// Kilobytes of the process's memory that is locked.
long LockedKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long kib = 0;
  while (status >> key) {
    if (key == "VmLck:" && status >> kib) return kib;
  }
  return -1;
}

// A full staging area is written to the file on the file's own thread
// while appending goes on in the other; a change to its values made before
// the array takes that write as done must still be what it reads after,
// from the disk.
TEST_F(SpillFolders, ChangesWhileAnAreaIsBeingWrittenAreKept) {
  ASSERT_FALSE(folder.empty());
  setenv("KOLVA_SPILL_DIR", folder.c_str(), 1);
  using Array = PodArray<double>;
  constexpr std::size_t kBlock = Array::kBlockSize;
  SetSpillSettings(SpillSettings{2 * kBlock, 65536, 2 * kBlock * sizeof(double)});
  using Edit = std::function<void(Array&, std::vector<double>&)>;
  const std::vector<std::pair<const char*, Edit>> edits = {
      {"assign", [](Array& a, auto& v) { a[3 * kBlock + 5] = v[3 * kBlock + 5] = -1; }},
      {"insert",
       [](Array& a, auto& v) {
         a.insert(10, -2);
         v.insert(v.begin() + 10, -2);
       }},
      {"erase",
       [](Array& a, auto& v) {
         a.erase(2 * kBlock);
         v.erase(v.begin() + 2 * kBlock);
       }},
      {"fill",
       [](Array& a, auto& v) {
         a.Fill(7);
         std::fill(v.begin(), v.end(), 7);
       }},
  };
  for (const auto& [name, edit] : edits) {
    Array a;
    a.AllowSpill();
    std::vector<double> v;
    auto add = [&](std::size_t n) {
      for (std::size_t i = 0; i < n; ++i) {
        a.push_back(static_cast<double>(v.size()));
        v.push_back(static_cast<double>(v.size()));
      }
    };
    // Two blocks on the heap, two in the first staging area, and the value
    // that hands that area to the writer.
    add(4 * kBlock + 1);
    ASSERT_TRUE(a.Spilled());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the write is done by now
    edit(a, v);
    add(4 * kBlock);  // the next hand-over takes the first write as done
    a.DropPages();
    const Array& read = a;
    ASSERT_EQ(read.size(), v.size());
    for (std::size_t i = 0; i < v.size(); ++i) ASSERT_EQ(read[i], v[i]) << name << " at " << i;
  }
}

// A real-time run locks its memory, now and to come; the columns' file
// pages must stay unlocked, or they count as memory the kernel may never
// reclaim.
TEST_F(SpillFolders, FilePagesStayUnlockedInALockedProcess) {
  ASSERT_FALSE(folder.empty());
  constexpr std::size_t kBytes = std::size_t{64} << 20;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (mlockall(MCL_CURRENT | MCL_FUTURE) != 0) _exit(2);
    const long before = LockedKiB();
    SpillFile file(folder, std::size_t{1} << 30);
    if (!file.Valid() || !file.Extend(kBytes, std::size_t{8} << 20)) _exit(3);
    std::memset(file.Base(), 1, kBytes);
    _exit(LockedKiB() - before < 8 * 1024 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "memory cannot be locked here";
  EXPECT_NE(WEXITSTATUS(status), 3) << "no file could be mapped";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the mapped file pages were locked";
}

// A small ext4 disk, loop-mounted, that the run's columns fill.
class SmallDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to loop-mount a small ext4 image";
    mountPoint = MakeFolder("/var/tmp/kolva-small-disk-XXXXXX");
    ASSERT_FALSE(mountPoint.empty());
    image = mountPoint + ".img";
    // Mounted in the test's own mount namespace, the disk goes away with
    // the process, however it ends.
    if (unshare(CLONE_NEWNS) != 0 ||
        mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
      fs::remove(mountPoint);
      GTEST_SKIP() << "no mount namespace here";
    }
    if (!Shell("truncate -s 4M " + image + " && mkfs.ext4 -q -F " + image + " >/dev/null 2>&1") ||
        !Shell("mount -o loop " + image + " " + mountPoint + " 2>/dev/null")) {
      fs::remove(image);
      fs::remove(mountPoint);
      GTEST_SKIP() << "cannot loop-mount an ext4 image here";
    }
    mounted = true;
    setenv("KOLVA_SPILL_DIR", mountPoint.c_str(), 1);
    SetSpillSettings(SpillSettings{300, 65536});
  }
  void TearDown() override {
    unsetenv("KOLVA_SPILL_DIR");
    SetSpillSettings(SpillSettings{});
    if (mounted) Shell("umount " + mountPoint);
    fs::remove(image);
    fs::remove(mountPoint);
  }
  std::string mountPoint, image;
  bool mounted = false;
};

// The disk fills mid-run: the series stop taking points at the same
// reading, say so once, keep every point they took, and AddPoint and
// AddPoints keep returning normally. Clearing gives the room back.
TEST_F(SmallDisk, FillingMidRunStopsTheSeriesAndSaysSoOnce) {
  TChartSeries a("A"), b("B");
  int told = 0;
  a.OnStorageFull = [&](TChartSeries& s) { told += &s == &a ? 1 : 100; };
  int taken = -1;
  for (int i = 0; i < 2'000'000 && taken < 0; ++i)
    if (!AddReading(a, b, i)) taken = i;
  ASSERT_GT(taken, 1000) << "the disk never filled";
  EXPECT_TRUE(a.StorageFull());
  EXPECT_TRUE(a.XValues().Spilled());
  EXPECT_EQ(told, 1);
  EXPECT_EQ(a.PointCount(), taken);
  for (int i = 0; i < taken; ++i) {
    ASSERT_EQ(a.XValue(i), i * 0.001) << i;
    ASSERT_EQ(a.YValue(i), i % 97) << i;
  }
  const double x[] = {1e6, 1e6 + 1}, y[] = {1, 2};
  EXPECT_EQ(a.AddPoint(1e6, 1), -1);
  EXPECT_EQ(a.AddPoints(x, y, 2, 255), -1);
  EXPECT_EQ(a.PointCount(), taken);
  EXPECT_EQ(told, 1);

  a.ClearPoints();
  b.ClearPoints();
  EXPECT_FALSE(a.StorageFull());
  for (int i = 0; i < 5000; ++i) ASSERT_TRUE(AddReading(a, b, i)) << i;
  EXPECT_TRUE(a.XValues().Spilled());
}

// Bulk adding into a disk that fills stores the points that fit in both
// columns, then stops.
TEST_F(SmallDisk, AddPointsStoresWhatFitsThenStops) {
  TChartSeries a("A");
  std::vector<double> x(32768), y(32768);
  int calls = 0;
  for (int chunk = 0; chunk < 400 && !a.StorageFull(); ++chunk, ++calls) {
    for (std::size_t i = 0; i < x.size(); ++i)
      x[i] = static_cast<double>(chunk * x.size() + i), y[i] = x[i] * 2;
    a.AddPoints(x.data(), y.data(), x.size(), 255);
  }
  ASSERT_TRUE(a.StorageFull()) << "the disk never filled";
  const int n = a.PointCount();
  EXPECT_GE(n, (calls - 1) * 32768);
  EXPECT_EQ(a.XValues().ValueCount(), a.YValues().ValueCount());
  for (int i = 0; i < n; ++i) ASSERT_EQ(a.YValue(i), 2.0 * i) << i;
  EXPECT_EQ(a.XMaximum(), n - 1.0);
}

}  // namespace
}  // namespace kolva::chart
