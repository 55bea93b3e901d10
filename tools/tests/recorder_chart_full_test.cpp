// SPDX-License-Identifier: MIT
// kolva-record --png whose chart's temporary files fill their disk (a
// 4 MiB ext4 image, mounted in the test's own mount namespace; root only):
// the run ends normally with every reading in its results file, and stderr
// says the picture holds only the readings up to that point.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <regex>

#include "tools/tests/recorder_child.h"

namespace kolva::tools::testing {
namespace {

bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

constexpr const char* kNotice =
    "kolva-record: the chart's temporary files filled their disk: the picture holds only the "
    "readings up to that point";

class RecorderChartFullTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to loop-mount a small ext4 image";
    // In the test's own mount namespace the disk goes away with the
    // process, however it ends; the recorder inherits it.
    if (unshare(CLONE_NEWNS) != 0 || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      GTEST_SKIP() << "no mount namespace here";
    const std::string image = (folder / "disk.img").string();
    fs::create_directory(disk);
    if (!Shell("truncate -s 4M " + image + " && mkfs.ext4 -q -F " + image +
               " >/dev/null 2>&1 && mount -o loop " + image + " " + disk.string() + " 2>/dev/null"))
      GTEST_SKIP() << "cannot loop-mount an ext4 image here";
    mounted = true;
  }
  void TearDown() override {
    if (mounted) Shell("umount " + disk.string());
  }
  Finished Run(const std::vector<std::string>& args) {
    Finished done;
    const std::string spill = disk.string();
    done.status = WaitExit(StartRecorder(folder.Path(), "sim", args, -1,
                                         [&] { ::setenv("KOLVA_SPILL_DIR", spill.c_str(), 1); }));
    done.err = ReadAll(folder / "stderr.txt");
    return done;
  }

  ScratchFolder folder;
  fs::path disk = folder / "spill";
  bool mounted = false;
};

TEST_F(RecorderChartFullTest, TheRunEndsWithItsWholeFileAndTheChartSaysWhereItStopped) {
  // Over a million readings at 1 us: the columns pass the heap's million
  // values and their first file chunk does not fit on the disk.
  const Finished run = Run({"--interval", "0.000001", "--length", "0.03", "--average", "1", "--png",
                            "run.png", "results.txt"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find(std::string(kNotice) + "; the results file is complete\n"),
            std::string::npos)
      << run.err;
  EXPECT_TRUE(fs::file_size(folder / "run.png") > 0);
  std::smatch summary;
  ASSERT_TRUE(
      std::regex_search(run.err, summary, std::regex("kolva-record: (\\d+) readings taken")))
      << run.err;
  const std::size_t taken = std::stoul(summary[1].str());
  ASSERT_GT(taken, 1u << 20) << run.err;
  const auto lines = CrLfLines(ReadAll(folder / "results.txt"));
  ASSERT_TRUE(lines.has_value()) << "the results file ends inside a line";
  ASSERT_EQ(lines->size(), 11 + taken);
  EXPECT_EQ(lines->at(11).rfind("0 ", 0), 0u) << lines->at(11);
  EXPECT_EQ(lines->back().rfind(std::to_string(taken - 1) + " ", 0), 0u) << lines->back();

  // Drawing that file on the same disk ends at the same point.
  const Finished from = Run({"--png", "from.png", "--from", "results.txt"});
  EXPECT_EQ(from.status, 0) << from.err;
  EXPECT_EQ(from.err, std::string(kNotice) + "\n");
}

}  // namespace
}  // namespace kolva::tools::testing
