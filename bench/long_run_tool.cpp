// SPDX-License-Identifier: MIT
// A long run's chart: readings appended to the chart window's two series
// as a run adds them (no card, no clock), then paints of the whole run and
// of one-second windows at its start, middle and end, with the columns'
// pages warm and dropped; beside it dd writes to the same folder.
//
//   long_run_tool [--readings N] [--rate HZ] [--dd-bytes N] [--heap] [--paints N]
//                 [--colds N] [--stage-bytes N]
//
// --readings: readings of the run (default a day at 10 kHz, 864000000);
// --dd-bytes: bytes dd writes (default the columns' bytes, at most 16 GiB;
// 0 skips dd); --heap keeps every column on the heap (as before files);
// --paints: warm paints whose median is given (default 21; more for a
// profiler); --colds: cold paints whose median is given (default 5);
// --stage-bytes: each column's staging area (0 writes through
// the mapping).
#include <malloc.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

#include "app/run/results_chart.h"
#include "chart/spill_file.h"
#include "wykres/form2.h"

namespace {

using Clock = std::chrono::steady_clock;
using kolva::wykres::TForm2;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// A field of /proc/self/status in kB.
long StatusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  return -1;
}

// Page faults that waited for the disk, so far.
long MajorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_majflt;
}

// CPU seconds this thread has used (the machine is shared: wall-clock
// rates depend on what else runs).
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// dd writing `bytes` of zeros to the folder and syncing them; bytes per second.
double DdRate(const std::string& folder, long long bytes) {
  const std::string file = folder + "/kolva-long-run-dd." + std::to_string(getpid());
  const std::string command = "dd if=/dev/zero of=" + file +
                              " bs=1M count=" + std::to_string(bytes >> 20) +
                              " conv=fdatasync status=none";
  const auto start = Clock::now();
  const int rc = std::system(command.c_str());
  const double s = Seconds(start, Clock::now());
  std::remove(file.c_str());
  return rc == 0 ? static_cast<double>(bytes >> 20 << 20) / s : 0.0;
}

struct Painter {
  TForm2& form;
  QImage target{TForm2::kClientWidth, TForm2::kClientHeight, QImage::Format_RGB32};
  int paints = 21;
  int colds = 5;
  double seriesSeconds = 0.0;
  Clock::time_point seriesStart;

  explicit Painter(TForm2& f) : form(f) {
    for (auto* s : {&form.Series1(), &form.Series2()}) {
      s->BeforeDrawValues = [this](auto&) { seriesStart = Clock::now(); };
      s->AfterDrawValues = [this](auto&) { seriesSeconds += Seconds(seriesStart, Clock::now()); };
    }
  }
  // One paint of the window's chart; its time and the series' share, ms.
  std::pair<double, double> Paint() {
    seriesSeconds = 0.0;
    form.Chart1().Invalidate();
    const auto start = Clock::now();
    QPainter painter(&target);
    form.Chart1Widget().render(&painter);
    painter.end();
    return {Seconds(start, Clock::now()) * 1e3, seriesSeconds * 1e3};
  }
  void DropPages() {
    for (auto* s : {&form.Series1(), &form.Series2()}) {
      s->XValues().DropPages();
      s->YValues().DropPages();
    }
  }
  // Warm: the median of `paints` paints after one; cold: one paint after the
  // pages were dropped.
  void Report(const std::string& what, bool cold) {
    if (cold) {
      // One slow read of the disk's makes one cold paint slow: a few of
      // them, each after the pages were dropped, show which is the rule.
      std::vector<double> all, series;
      long reads = 0;
      for (int i = 0; i < colds; ++i) {
        DropPages();
        const long faults = MajorFaults();
        const auto [a, s] = Paint();
        reads = MajorFaults() - faults;
        all.push_back(a);
        series.push_back(s);
      }
      std::cout << what << " cold: paint " << Median(all) << " ms (series " << Median(series)
                << " ms; slowest " << *std::max_element(all.begin(), all.end()) << " ms; median of "
                << colds << "), " << reads << " reads from disk\n";
    }
    Paint();
    std::vector<double> all, series;
    for (int i = 0; i < paints; ++i) {
      const auto [a, s] = Paint();
      all.push_back(a);
      series.push_back(s);
    }
    std::cout << what << " warm: paint " << Median(all) << " ms (series " << Median(series)
              << " ms)";
    // Right after a cold paint the kernel may still be busy with the pages
    // it read ahead: the first paints apart show whether that counted.
    constexpr std::size_t kFirst = 21;
    if (all.size() > kFirst) {
      all.resize(kFirst);
      std::cout << ", the first " << kFirst << " alone " << Median(all) << " ms";
    }
    std::cout << " (median of " << paints << ")\n";
  }
};

}  // namespace

int main(int argc, char** argv) {
  long long readings = 864'000'000;
  double rate = 10'000.0;
  long long ddBytes = -1;
  bool heap = false;
  int paints = 21;
  int colds = 5;
  kolva::chart::SpillSettings spill = kolva::chart::GetSpillSettings();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--readings" && i + 1 < argc) {
      readings = std::stoll(argv[++i]);
    } else if (arg == "--rate" && i + 1 < argc) {
      rate = std::stod(argv[++i]);
    } else if (arg == "--dd-bytes" && i + 1 < argc) {
      ddBytes = std::stoll(argv[++i]);
    } else if (arg == "--paints" && i + 1 < argc) {
      paints = std::max(1, std::stoi(argv[++i]));
    } else if (arg == "--colds" && i + 1 < argc) {
      colds = std::max(1, std::stoi(argv[++i]));
    } else if (arg == "--stage-bytes" && i + 1 < argc) {
      spill.stageBytes = static_cast<std::size_t>(std::stoll(argv[++i]));
    } else if (arg == "--heap") {
      heap = true;
    } else {
      std::cerr << "usage: long_run_tool [--readings N] [--rate HZ] [--dd-bytes N] [--heap] "
                   "[--paints N] [--colds N] [--stage-bytes N]\n";
      return 2;
    }
  }
  if (heap) spill.threshold = std::numeric_limits<std::size_t>::max();
  kolva::chart::SetSpillSettings(spill);
  const std::vector<std::string> folders = kolva::chart::SpillFolders();
  const std::string folder = folders.empty() ? std::string() : folders.front();
  const long long columnBytes = readings * 32;
  if (ddBytes < 0) ddBytes = std::min(columnBytes, 16LL << 30);
  std::cout << "readings " << readings << " at " << rate << " Hz, "
            << (heap ? "columns on the heap" : "columns in " + folder) << '\n';

  double dd = 0.0;
  if (ddBytes >= (1 << 20) && !folder.empty()) {
    dd = DdRate(folder, ddBytes);
    std::cout << "dd: " << dd / 1e6 << " MB/s over " << (ddBytes >> 20) << " MiB\n";
  }

  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  TForm2 form;
  form.Chart1Widget().resize(TForm2::kClientWidth, TForm2::kClientHeight);
  form.Chart1Widget().SyncBounds();
  form.Series1().ClearPoints();
  form.Series2().ClearPoints();

  // Readings like the simulated card's, from a table: a slow sine with a
  // ripple and a sawtooth.
  constexpr std::size_t kTable = 1 << 16;
  std::vector<float> in1(kTable), in2(kTable);
  for (std::size_t i = 0; i < kTable; ++i) {
    const double t = static_cast<double>(i) / 512.0;
    in1[i] = static_cast<float>(700.0 * std::sin(t * 0.7) + 15.0 * std::sin(t * 31.0));
    in2[i] = static_cast<float>(40.0 * std::fmod(t, 10.0) - 200.0);
  }
  const long anonBefore = StatusKb("RssAnon");
  const long long firstPart = std::min(readings, 100'000'000LL);
  const double period = 1.0 / rate;
  auto& s1 = form.Series1();
  auto& s2 = form.Series2();
  const auto start = Clock::now();
  const double cpuStart = CpuSeconds();
  double cpuFirst = cpuStart;
  Clock::time_point firstDone = start;
  long long taken = readings;
  for (long long i = 0; i < readings; ++i) {
    const double x = static_cast<double>(i) * period;
    const int a = s1.AddPoint(x, in1[i & (kTable - 1)], {}, kolva::app::ResultsChart::kInput1Color);
    s2.AddPoint(x, in2[i & (kTable - 1)], {}, kolva::app::ResultsChart::kInput2Color);
    if (a < 0) {
      taken = i;
      std::cout << "the chart stopped taking points at reading " << i << '\n';
      break;
    }
    if (i + 1 == firstPart) {
      firstDone = Clock::now();
      cpuFirst = CpuSeconds();
    }
  }
  const auto appended = Clock::now();
  const double cpuAppended = CpuSeconds();
  sync();
  const auto synced = Clock::now();
  const double bytes = static_cast<double>(taken) * 32.0;
  std::cout << "AddPoint over the first " << firstPart << " readings: "
            << 2.0 * static_cast<double>(firstPart) / Seconds(start, firstDone) / 1e6
            << " M calls/s (" << 2.0 * static_cast<double>(firstPart) / (cpuFirst - cpuStart) / 1e6
            << " M a CPU second)\n";
  std::cout << "whole run: " << Seconds(start, appended) << " s, "
            << 2.0 * static_cast<double>(taken) / Seconds(start, appended) / 1e6 << " M calls/s ("
            << 2.0 * static_cast<double>(taken) / (cpuAppended - cpuStart) / 1e6
            << " M a CPU second), columns " << bytes / Seconds(start, appended) / 1e6
            << " MB/s; with sync " << Seconds(start, synced) << " s, "
            << bytes / Seconds(start, synced) / 1e6 << " MB/s";
  if (dd > 0.0) std::cout << " (" << 100.0 * bytes / Seconds(start, synced) / dd << " % of dd)";
  std::cout << '\n';
  malloc_trim(0);
  const long anonAfter = StatusKb("RssAnon");
  std::cout << "RssAnon " << anonAfter / 1024 << " MiB (" << (anonAfter - anonBefore) / 1024
            << " MiB for the points, "
            << static_cast<double>(anonAfter - anonBefore) * 1024.0 / static_cast<double>(taken)
            << " bytes a reading), RssFile " << StatusKb("RssFile") / 1024 << " MiB, heap "
            << static_cast<double>(s1.StorageBytes() + s2.StorageBytes()) /
                   static_cast<double>(taken)
            << " bytes a reading\n";

  Painter painter(form);
  painter.paints = paints;
  painter.colds = colds;
  painter.Report("full view", !heap);
  auto& axis = form.Chart1().BottomAxis();
  const double end = static_cast<double>(taken - 1) * period;
  for (const auto& [what, from] :
       {std::pair{"1 s at the start", 0.0}, std::pair{"1 s in the middle", std::floor(end / 2)},
        std::pair{"1 s at the end", end - 1.0}}) {
    axis.SetAutomatic(false);
    axis.SetMaximum(std::numeric_limits<double>::max());
    axis.SetMinimum(from);
    axis.SetMaximum(from + 1.0);
    painter.Report(what, !heap);
  }
  return 0;
}
