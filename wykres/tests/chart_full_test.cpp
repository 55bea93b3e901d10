// SPDX-License-Identifier: MIT
// The chart window when its series' temporary files fill their disk: the
// caption says so once, a file's load ends there, and the next run or file
// takes the notice away. The disk is a 4 MiB ext4 image mounted in the
// test's own mount namespace (root only).
#include <gtest/gtest.h>
#include <sched.h>
#include <stdlib.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QApplication>
#include <QProgressBar>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "app/text/textconv.h"
#include "chart/qt/tests/qt_app.h"
#include "chart/spill_file.h"
#include "results_header.h"
#include "wykres/form2.h"

namespace kolva::wykres {
namespace {

namespace fs = std::filesystem;

bool Shell(const std::string& command) {
  return std::system(command.c_str()) == 0;
}

class ChartFullTest : public ::testing::Test {
 protected:
  // Mounted before Qt starts a thread: a process with threads cannot take
  // a mount namespace of its own.
  static void SetUpTestSuite() {
    if (geteuid() != 0) {
      skip = "needs root to loop-mount a small ext4 image";
    } else {
      char name[] = "/var/tmp/kolva-chart-full-XXXXXX";
      mountPoint = ::mkdtemp(name) ? name : "";
      image = mountPoint + ".img";
      if (mountPoint.empty() || unshare(CLONE_NEWNS) != 0 ||
          mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        skip = "no mount namespace here";
      } else if (!Shell("truncate -s 4M " + image + " && mkfs.ext4 -q -F " + image +
                        " >/dev/null 2>&1 && mount -o loop " + image + " " + mountPoint +
                        " 2>/dev/null")) {
        skip = "cannot loop-mount an ext4 image here";
      }
    }
    chart::qt::testing::EnsureQtApp();
  }
  static void TearDownTestSuite() {
    if (!mountPoint.empty()) {
      Shell("umount " + mountPoint + " 2>/dev/null");
      fs::remove(image);
      fs::remove(mountPoint);
    }
  }
  void SetUp() override {
    if (!skip.empty()) GTEST_SKIP() << skip;
    setenv("KOLVA_SPILL_DIR", mountPoint.c_str(), 1);
    chart::SetSpillSettings(chart::SpillSettings{300, 65536});
  }
  void TearDown() override {
    unsetenv("KOLVA_SPILL_DIR");
    chart::SetSpillSettings(chart::SpillSettings{});
    fs::remove(file);
  }
  // Readings as a run adds them until the first series refuses one.
  int RunUntilFull() {
    form.Series1().ClearPoints();
    form.Series2().ClearPoints();
    for (int i = 0; i < 2'000'000; ++i) {
      const int at = form.Series1().AddPoint(i * 0.001, i % 97, {}, 255);
      form.Series2().AddPoint(i * 0.001, -(i % 89), {}, 0xFFFFFF);
      if (at < 0) return i;
    }
    return -1;
  }
  int NoticesIn(const QString& caption) const { return caption.count(TForm2::kChartFullText); }

  static inline std::string skip, mountPoint, image;
  TForm2 form;
  fs::path file = fs::temp_directory_path() / ("kolva_full_" + std::to_string(::getpid()));
};

TEST_F(ChartFullTest, ARunThatFillsTheDiskSaysSoOnceUntilTheNextRun) {
  int captions = 0;
  QObject::connect(&form, &QWidget::windowTitleChanged, [&] { ++captions; });
  const int taken = RunUntilFull();
  ASSERT_GT(taken, 1000) << "the disk never filled";
  EXPECT_TRUE(form.Series1().StorageFull());
  EXPECT_TRUE(form.ChartFull());
  EXPECT_EQ(form.windowTitle(), QString("WYKRES") + TForm2::kChartFullText);
  // More readings, and the second series filling too, say nothing more.
  for (int i = taken; i < taken + 50'000; ++i) {
    form.Series1().AddPoint(i * 0.001, 0);
    form.Series2().AddPoint(i * 0.001, 0);
  }
  EXPECT_TRUE(form.Series2().StorageFull());
  EXPECT_EQ(NoticesIn(form.windowTitle()), 1);
  EXPECT_EQ(form.Series1().PointCount(), taken);

  // The next run clears the series: the caption is the run's again, and
  // a run that fits says nothing.
  form.Series1().ClearPoints();
  form.Series2().ClearPoints();
  EXPECT_FALSE(form.ChartFull());
  EXPECT_EQ(form.windowTitle(), "WYKRES");
  for (int i = 0; i < 5000; ++i) ASSERT_GE(form.Series1().AddPoint(i, i), 0) << i;
  EXPECT_EQ(form.windowTitle(), "WYKRES");
  EXPECT_EQ(captions, 2);
}

TEST_F(ChartFullTest, AFileThatFillsTheDiskEndsItsLoadThereAndTheNextFileClearsTheNotice) {
  const auto write = [&](int lines) {
    std::ofstream out(file, std::ios::binary);
    out << testing::kResultsHeader;
    for (int n = 0; n < lines; ++n)
      out << n << "              " << app::FormatText("%2.3f", n % 700) << "    "
          << app::FormatText("%2.3f", -n % 500) << "         " << app::FloatText(0.001L * n)
          << "\r\n";
  };
  const auto load = [&] {
    form.OpenResultsFile(QString::fromStdString(file.string()));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (form.Loading() && std::chrono::steady_clock::now() < deadline) {
      QApplication::processEvents();
      std::this_thread::yield();
    }
    ASSERT_FALSE(form.Loading()) << "the load has not ended within 30 s";
  };
  write(400'000);  // 12.8 MB of values: three times the disk
  load();
  const QString shown =
      "WYKRES - " + QString::fromStdString(file.filename().string()) + " - 07.03.2026 23:59:59";
  EXPECT_EQ(form.windowTitle(), shown + TForm2::kChartFullText);
  EXPECT_TRUE(form.Series1().StorageFull());
  EXPECT_TRUE(form.Series2().StorageFull());
  EXPECT_FALSE(form.LoadProgress().isVisible());
  EXPECT_LT(form.LoadProgress().value(), 500) << "the rest of the file was read";
  const int taken = form.Series1().PointCount();
  EXPECT_GT(taken, 1000);
  EXPECT_LT(taken, 400'000);
  for (int i = 0; i < taken; i += 997) ASSERT_EQ(form.Series1().YValue(i), i % 700) << i;

  write(2000);
  load();
  EXPECT_EQ(form.windowTitle(), shown);
  EXPECT_FALSE(form.ChartFull());
  EXPECT_EQ(form.Series1().PointCount(), 2000);
}

}  // namespace
}  // namespace kolva::wykres
