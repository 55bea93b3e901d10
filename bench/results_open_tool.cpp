// SPDX-License-Identifier: MIT
// Times opening a results file in the chart window until it is shown (the
// load on its worker threads, the points in both series, one full paint),
// with the file in the page cache and with its pages dropped first, beside
// the time to read the same file twice from the disk, and the chart's
// storage per reading once shown. Usage: results_open_tool [LINES [FILE]];
// the file is written first when it does not exist. Runs offscreen.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "results_text.h"
#include "wykres/chart_picture.h"
#include "wykres/form2.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) {
  return std::chrono::duration<double>(Clock::now() - from).count();
}

// Reads the whole file twice from the disk itself (O_DIRECT, past the page
// cache), as plain as a copy would; falls back to cached reads where the
// file system refuses direct I/O.
double ReadTwice(const std::string& path) {
  constexpr std::size_t kBlock = 1 << 20;
  void* buffer = std::aligned_alloc(4096, kBlock);
  const auto start = Clock::now();
  for (int pass = 0; pass < 2; ++pass) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECT);
    if (fd < 0) fd = ::open(path.c_str(), O_RDONLY);
    while (::read(fd, buffer, kBlock) > 0) {
    }
    ::close(fd);
  }
  std::free(buffer);
  return Seconds(start);
}

// Drops the file's pages from the page cache, so that the next open reads
// the disk.
void DropCached(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY);
  ::fdatasync(fd);
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
}

// CPU seconds of every thread of the process so far.
double CpuSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const std::size_t lines = argc > 1 ? std::stoul(argv[1]) : 1000000;
  const std::string path = argc > 2 ? argv[2]
                                    : (std::filesystem::temp_directory_path() /
                                       ("kolva_open_" + std::to_string(lines) + ".txt"))
                                          .string();
  if (!std::filesystem::exists(path) && !kolva::bench::WriteResultsFile(path, lines)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  const double megabytes = std::filesystem::file_size(path) / 1e6;
  std::vector<double> opens, loads, loadCpu, twice, cold;
  double perReading = 0;
  for (int run = 0; run < 6; ++run) {
    const bool dropped = run % 2 == 1;
    if (dropped) {
      DropCached(path);
    } else {
      twice.push_back(ReadTwice(path));
    }
    kolva::wykres::TForm2 form;
    const auto start = Clock::now();
    const double cpu = CpuSeconds();
    form.OpenResultsFile(QString::fromStdString(path));
    while (form.Loading()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double loaded = Seconds(start);
    const double loadedCpu = CpuSeconds() - cpu;
    const QImage picture = kolva::wykres::RenderChartPicture(form);
    const std::size_t readings = form.Series1().PointCount();
    if (readings != lines || picture.isNull()) {
      std::fprintf(stderr, "shown %zu of %zu readings\n", readings, lines);
      return 1;
    }
    if (dropped) {
      cold.push_back(Seconds(start));
      continue;
    }
    loads.push_back(loaded);
    loadCpu.push_back(loadedCpu);
    opens.push_back(Seconds(start));
    perReading = double(form.Series1().StorageBytes() + form.Series2().StorageBytes()) / readings;
  }
  std::printf(
      "%zu readings, %.1f MB (medians of 3): loaded into the series %.3f s (%.0f MB/s, %.3f s "
      "CPU in all threads), loaded and painted %.3f s; from a dropped page cache, loaded and "
      "painted %.3f s; read twice from disk %.3f s; chart storage %.2f bytes per reading\n",
      lines, megabytes, Median(loads), megabytes / Median(loads), Median(loadCpu), Median(opens),
      Median(cold), Median(twice), perReading);
  return 0;
}
