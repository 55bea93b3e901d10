// SPDX-License-Identifier: MIT
// The acquisition run's schedule on this machine: the real run (its sampler
// thread and the GUI thread following it once a frame) on the real clock and
// the simulated card, into a temporary results file, for intervals of 0.01,
// 0.001 and 0.0001 s: with results not charted, with the chart window on the
// offscreen platform, and charted with the GUI thread stalled for 3 s in the
// middle of the run (a slow paint). For each it reports the run's timing
// report (readings taken, readings due in the run's time, readings more than
// one period after their deadline, the largest lateness), the shortest time
// between two readings (what one reading costs when the run catches up), the
// most chart paints in any one second, and how often the system took the
// processor away during the run.
//
//   run_schedule_tool [seconds per run, default 10] [--no-chart]
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "app/run/acquisition_run.h"
#include "app/run/card.h"
#include "app/run/control_state.h"
#include "app/run/sampler.h"
#include "app/run/wall_clock.h"
#include "app/text/textconv.h"
#include "app/ui/results_chart_adapter.h"
#include "platform/clock.h"
#include "platform/keyboard_port.h"
#include "platform/sim_card.h"
#include "wykres/form2.h"

namespace {

using namespace kolva;

// The panel at its stored defaults, with the run's interval and length.
class ToolControls : public app::ControlState {
 public:
  std::string interval;
  std::string length;
  std::string fileName;
  bool charted = false;

  int AveragingCount() const override { return 20; }
  int Offset1() const override { return 0; }
  int Offset2() const override { return 0; }
  bool LowRange() const override { return false; }
  bool RawCounts() const override { return false; }
  bool TriggerEnabled() const override { return false; }
  bool TriggerOnHigh() const override { return true; }
  bool TriggerOnLow() const override { return false; }
  std::string IntervalText() const override { return interval; }
  std::string LengthText() const override { return length; }
  std::string ResultsFileName() const override { return fileName; }
  bool ChartResults() const override { return charted; }
  void SetLiveReadout(bool) override {}
  void SetRunButton(const std::string&, bool) override {}
  void SetProgress(int) override {}
};

// Nobody presses S.
class QuietKeyboard : public platform::KeyboardPort {
 public:
  std::uint8_t ReadScanCode() override { return 0; }
};

// The simulated card, noting the counter at the first conversion of every
// reading (each reading is `averaging` conversions back to back).
class TimingBus : public platform::PortBus {
 public:
  TimingBus(const platform::SimCardOptions& options, platform::Clock& clock, int averaging)
      : card_(options, clock), clock_(clock), dataPort_(options.base + 12), averaging_(averaging) {
    readingTimes.reserve(1 << 20);
  }
  std::uint8_t Read8(std::uint16_t port) override { return card_.Read8(port); }
  std::uint32_t Read32(std::uint16_t port) override {
    if (port == dataPort_ && conversions_++ % averaging_ == 0) {
      readingTimes.push_back(clock_.QueryPerformanceCounter());
    }
    return card_.Read32(port);
  }
  void Write32(std::uint16_t port, std::uint32_t value) override { card_.Write32(port, value); }

  std::vector<std::int64_t> readingTimes;

 private:
  platform::SimCard card_;
  platform::Clock& clock_;
  std::uint16_t dataPort_;
  int averaging_;
  long long conversions_ = 0;
};

struct Figures {
  std::int64_t taken = 0;
  std::int64_t due = 0;
  std::int64_t late = 0;
  std::int64_t worstTicks = 0;     // the largest lateness past the deadline
  std::int64_t fastestTicks = -1;  // the shortest time between two readings
  long preempted = 0;              // involuntary context switches during the run
  int paintsPerSecond = 0;         // the most chart paints in any one second
};

enum class Mode { kOff, kOn, kStalled };

// Notes the time of every paint a widget receives.
class PaintTimes : public QObject {
 public:
  std::vector<std::chrono::steady_clock::time_point> times;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) times.push_back(std::chrono::steady_clock::now());
    return false;
  }
  int MostInOneSecond() const {
    int most = 0;
    std::size_t first = 0;
    for (std::size_t last = 0; last < times.size(); ++last) {
      while (times[last] - times[first] >= std::chrono::seconds(1)) ++first;
      most = std::max(most, static_cast<int>(last - first + 1));
    }
    return most;
  }
};

// Follows the run as the window does: once a frame until it has ended; a
// stalled GUI sleeps 3 s half way through.
void FollowRun(app::AcquisitionRun& run, double seconds, bool stall) {
  QEventLoop loop;
  QTimer frame;
  frame.setTimerType(Qt::PreciseTimer);
  frame.setInterval(app::AcquisitionRun::kFrameMs);
  QObject::connect(&frame, &QTimer::timeout, [&] {
    run.Update();
    if (!run.Active()) loop.quit();
  });
  frame.start();
  if (stall) {
    QTimer::singleShot(static_cast<int>(seconds * 500),
                       [] { std::this_thread::sleep_for(std::chrono::seconds(3)); });
  }
  loop.exec();
}

long InvoluntarySwitches() {
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_nivcsw;
}

std::string ShortestText(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

Figures RunOnce(const std::string& interval, double seconds, Mode mode,
                const std::string& fileName) {
  platform::SystemClock clock;
  QuietKeyboard keyboard;
  ToolControls controls;
  controls.interval = interval;
  controls.length = ShortestText(seconds / 60.0);
  controls.fileName = fileName;
  controls.charted = mode != Mode::kOff;
  platform::SimCardOptions options;
  options.input1 = {platform::SimSignal::Kind::kSine, 5000.0, 0.0, 2.0};
  options.input2 = {platform::SimSignal::Kind::kTriangle, 3000.0, 500.0, 0.5};
  options.noiseCounts = 3;
  TimingBus bus(options, clock, controls.AveragingCount());
  app::Card card(bus, clock, keyboard, controls);
  card.BaseAddress = options.base;
  card.WritePort32(options.base, app::Card::kRangeHigh);
  card.ScaleHigh = 3906.25f;
  card.Gain2High = 1.0f;

  std::unique_ptr<wykres::TForm2> form;
  std::unique_ptr<ui::ResultsChartAdapter> chart;
  PaintTimes paints;
  if (controls.charted) {
    form = std::make_unique<wykres::TForm2>();
    form->Chart1Widget().installEventFilter(&paints);
    chart = std::make_unique<ui::ResultsChartAdapter>(*form);
  }
  app::Sampler sampler(bus, clock, keyboard, app::LocalNow);
  app::AcquisitionRun run(card, sampler, controls, chart.get());
  const long switchesBefore = InvoluntarySwitches();
  run.Button3Click();
  FollowRun(run, seconds, mode == Mode::kStalled);
  const long switchesAfter = InvoluntarySwitches();

  Figures figures;
  const app::RunTiming& timing = run.Timing();
  figures.taken = static_cast<std::int64_t>(timing.taken);
  figures.due = static_cast<std::int64_t>(timing.due);
  figures.late = static_cast<std::int64_t>(timing.late);
  figures.worstTicks = timing.worstLatenessTicks;
  figures.preempted = switchesAfter - switchesBefore;
  figures.paintsPerSecond = paints.MostInOneSecond();
  for (std::size_t k = 1; k < bus.readingTimes.size(); ++k) {
    const std::int64_t gap = bus.readingTimes[k] - bus.readingTimes[k - 1];
    if (figures.fastestTicks < 0 || gap < figures.fastestTicks) figures.fastestTicks = gap;
  }
  return figures;
}

std::string Padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

long double Microseconds(std::int64_t ticks) {
  return static_cast<long double>(ticks) * 1e6L /
         static_cast<long double>(platform::Clock::kCounterTicksPerSecond);
}

void Report(const std::string& interval, Mode mode, const Figures& f) {
  const char* chart = mode == Mode::kOff ? "off" : mode == Mode::kOn ? "on" : "stall";
  const std::string line =
      Padded(interval, 8) + Padded(chart, 7) + Padded(app::IntText(f.taken), 10) +
      Padded(app::IntText(f.due), 10) + Padded(app::IntText(f.late), 10) +
      Padded(app::FormatText("%1.3f", Microseconds(f.worstTicks) / 1000), 12) +
      Padded(app::FormatText("%1.1f", Microseconds(f.fastestTicks)), 11) +
      Padded(app::IntText(f.paintsPerSecond), 9) + Padded(app::IntText(f.preempted), 11) + "\n";
  std::fputs(line.c_str(), stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
  double seconds = 10.0;
  bool chartRuns = true;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--no-chart") {
      chartRuns = false;
    } else if (std::from_chars(arg.data(), arg.data() + arg.size(), seconds).ec != std::errc()) {
      std::fputs("usage: run_schedule_tool [seconds] [--no-chart]\n", stderr);
      return 2;
    }
  }
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  int qtArgc = 1;
  QApplication application(qtArgc, argv);

  namespace fs = std::filesystem;
  const fs::path folder =
      fs::temp_directory_path() / ("kolva-schedule-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  const std::string fileName = (folder / "results.txt").string();

  std::fputs(
      "interval  chart     taken       due      late  worst (ms)  gap (us)  paints/s  preempted\n",
      stdout);
  for (const Mode mode : {Mode::kOff, Mode::kOn, Mode::kStalled}) {
    if (mode != Mode::kOff && !chartRuns) continue;
    for (const char* interval : {"0.01", "0.001", "0.0001"}) {
      if (mode == Mode::kStalled && seconds < 6) continue;  // the stall needs the time
      Report(interval, mode, RunOnce(interval, seconds, mode, fileName));
    }
  }
  fs::remove_all(folder);
  return 0;
}
