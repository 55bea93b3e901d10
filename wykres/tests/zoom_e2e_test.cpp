// SPDX-License-Identifier: MIT
// The built kolva program under a private X server, after a charted run on
// the simulated card: a left drag down and to the right over the chart
// window zooms, a left drag up and to the left restores the picture exactly.
// Then the chart window in this process on its own private X server, while
// points arrive as in a run: the zoom narrows the axis labels, holds while
// points are added, and the undo shows the newest points.
// Mouse input comes from xdotool through the X server, as an operator's.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QtTest/QTest>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "chart/axis_layout.h"
#include "wykres/form2.h"

namespace {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;
using std::chrono::seconds;

// Polls `done` every 50 ms for at most `limit`: the program under test is a
// real process on a real clock.
bool WaitFor(const std::function<bool()>& done, seconds limit) {
  const auto deadline = SteadyClock::now() + limit;
  while (!done()) {
    if (SteadyClock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

pid_t Spawn(const std::vector<std::string>& argv, const std::string& folder,
            const std::vector<std::string>& environment, int outFd = -1) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(126);
  for (const std::string& entry : environment) ::putenv(const_cast<char*>(entry.c_str()));
  const int null = ::open("/dev/null", O_RDWR);
  ::dup2(null, STDIN_FILENO);
  ::dup2(outFd >= 0 ? outFd : null, STDOUT_FILENO);
  ::dup2(null, STDERR_FILENO);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  ::execvp(args[0], args.data());
  ::_exit(127);
}

std::optional<int> ExitStatus(pid_t pid, bool wait) {
  int status = 0;
  if (::waitpid(pid, &status, wait ? 0 : WNOHANG) != pid) return std::nullopt;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Runs a program on `display` and answers what it printed.
std::string Capture(const std::string& display, const std::vector<std::string>& argv) {
  int fds[2];
  if (::pipe(fds) != 0) return "";
  const pid_t pid = Spawn(argv, "", {"DISPLAY=" + display}, fds[1]);
  ::close(fds[1]);
  std::string out;
  char buffer[4096];
  ssize_t got;
  while ((got = ::read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, got);
  ::close(fds[0]);
  ExitStatus(pid, true);
  return out;
}

bool OnPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    if (fs::exists(fs::path(folders.substr(start, end - start)) / program)) return true;
    start = end + 1;
  }
  return false;
}

// An Xvfb on a display number of its own choosing.
class PrivateDisplay {
 public:
  PrivateDisplay() {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1024x768x24",
                  "-nolisten", "tcp"},
                 "", {});
    ::close(fds[1]);
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (!number.empty()) name_ = ":" + number;
  }
  ~PrivateDisplay() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ExitStatus(pid_, true);
    }
  }
  const std::string& Name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// kolva in a scratch folder set up for a charted run of 0.02 minutes at
// 0.01 s on the simulated card.
class KolvaRun {
 public:
  explicit KolvaRun(const std::string& display) {
    char pattern[] = "/tmp/kolva-e2e-zoom-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return;
    folder_ = pattern;
    std::ofstream(folder_ / "konfig.txt", std::ios::binary)
        << "0\r\n0\r\n0.01\r\n0.02\r\ntrue\r\ntrue\r\nfalse\r\ntrue\r\n";
    std::ofstream(folder_ / "korekcje.txt", std::ios::binary)
        << "0\r\n0\r\n1\r\n1\r\n366.2109375\r\n3906.25\r\n";
    const std::string kolva = std::string(std::getenv("KOLVA_BUILD_DIR")) + "/app/ui/kolva";
    pid_ = Spawn({kolva}, folder_.string(),
                 {"DISPLAY=" + display, "KOLVA_CARD=sim,in1=sine:2V:3Hz,in2=triangle:1V:1Hz",
                  "QT_QPA_PLATFORM=xcb", "LC_ALL=C", "LANG=C"});
  }
  ~KolvaRun() {
    if (pid_ > 0 && !ExitStatus(pid_, false)) {
      ::kill(pid_, SIGKILL);
      ExitStatus(pid_, true);
    }
    if (!folder_.empty()) fs::remove_all(folder_);
  }
  pid_t Pid() const { return pid_; }
  fs::path Results() const { return folder_ / "results.txt"; }

 private:
  fs::path folder_;
  pid_t pid_ = -1;
};

// The application object of this process on `display`, for the chart
// window's own test; created once and never destroyed (Qt's input devices
// would outlive the statics they use at exit).
void StartQtOn(const std::string& display) {
  if (QApplication::instance() != nullptr) return;
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  ::setenv("DISPLAY", display.c_str(), 1);
  static int argc = 1;
  static char name[] = "zoom_e2e_test";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

// The values of the labels the axis draws at its current range.
std::vector<double> LabelValues(kolva::chart::TChartAxis& axis) {
  std::vector<double> values;
  for (const kolva::chart::AxisMark& mark : axis.ValueMarks(axis.LabelStep())) {
    if (mark.kind != kolva::chart::AxisMarkKind::kLabel) continue;
    std::string text = mark.text;
    for (char& c : text)
      if (c == ',') c = '.';
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
    values.push_back(value);
  }
  return values;
}

class ZoomEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = std::getenv("KOLVA_BUILD_DIR");
    ASSERT_NE(build, nullptr);
    ASSERT_TRUE(fs::exists(std::string(build) + "/app/ui/kolva"));
    if (!OnPath("Xvfb") || !OnPath("xdotool") || !OnPath("xwd"))
      GTEST_SKIP() << "needs Xvfb, xdotool and xwd";
    ASSERT_FALSE(display_.Name().empty()) << "Xvfb did not start";
  }

  std::string Xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return Capture(display_.Name(), argv);
  }

  std::string FindWindow(const std::string& name, const KolvaRun& program) {
    std::string id;
    WaitFor(
        [&] {
          id = Xdotool({"search", "--onlyvisible", "--name", name});
          return !id.empty() || ExitStatus(program.Pid(), false).has_value();
        },
        seconds(30));
    return id.substr(0, id.find('\n'));
  }

  // The window's pixels as the X server holds them (an xwd dump: equal
  // dumps are equal pictures).
  std::string Picture(const std::string& window) {
    return Capture(display_.Name(), {"xwd", "-silent", "-id", window});
  }

  // The picture once it has stopped changing for half a second.
  std::string SettledPicture(const std::string& window) {
    std::string last = Picture(window);
    auto since = SteadyClock::now();
    WaitFor(
        [&] {
          std::string now = Picture(window);
          if (now != last) {
            last = now;
            since = SteadyClock::now();
          }
          return SteadyClock::now() - since >= std::chrono::milliseconds(500);
        },
        seconds(20));
    return last;
  }

  // True once the file has kept its size for two seconds.
  bool FileSettled(const fs::path& file) {
    std::uintmax_t size = 0;
    auto since = SteadyClock::now();
    return WaitFor(
        [&] {
          std::error_code error;
          const std::uintmax_t now = fs::file_size(file, error);
          if (error) return false;
          if (now != size) {
            size = now;
            since = SteadyClock::now();
          }
          return SteadyClock::now() - since >= seconds(2);
        },
        seconds(60));
  }

  // A left drag in window coordinates, in steps as a hand moves.
  void LeftDrag(const std::string& window, int x0, int y0, int x1, int y1) {
    auto to = [&](int x, int y) {
      Xdotool({"mousemove", "--window", window, std::to_string(x), std::to_string(y)});
    };
    to(x0, y0);
    Xdotool({"mousedown", "1"});
    for (int i = 1; i <= 4; ++i) to(x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4);
    Xdotool({"mouseup", "1"});
  }

  PrivateDisplay display_;
};

TEST_F(ZoomEndToEnd, AfterARunADragDownRightZoomsAndADragUpLeftRestoresThePicture) {
  KolvaRun program(display_.Name());
  const std::string main = FindWindow("Card found", program);
  ASSERT_FALSE(main.empty()) << "no main window with the card's caption";
  Xdotool({"mousemove", "--window", main, "148", "396"});
  Xdotool({"click", "1"});
  const std::string chart = FindWindow("WYKRES", program);
  ASSERT_FALSE(chart.empty()) << "the chart window did not appear";
  ASSERT_TRUE(WaitFor([&] { return fs::exists(program.Results()); }, seconds(20)));
  // The run lasts 1.2 s and flushes the file at least once a second.
  ASSERT_TRUE(FileSettled(program.Results())) << "the run did not end";
  Xdotool({"windowraise", chart});
  const std::string before = SettledPicture(chart);
  ASSERT_GT(before.size(), 400000u) << "a 477 x 310 picture";

  LeftDrag(chart, 120, 90, 260, 190);
  const std::string zoomed = SettledPicture(chart);
  EXPECT_NE(zoomed, before) << "the zoom changed nothing on the screen";

  LeftDrag(chart, 260, 190, 120, 90);
  const std::string restored = SettledPicture(chart);
  EXPECT_TRUE(restored == before) << "the undo did not restore the picture of before the zoom";
}

TEST_F(ZoomEndToEnd, InTheChartWindowAZoomNarrowsTheLabelsAndHoldsWhilePointsArrive) {
  StartQtOn(display_.Name());
  using namespace kolva::chart;
  kolva::wykres::TForm2 form;
  TChart& chart = form.Chart1();
  // Readings every 10 ms as a run adds them: a 3 Hz sine and a 1 Hz ramp.
  auto add = [&](int i) {
    const double t = i * 0.01;
    form.Series1().AddPoint(t, 2000.0 * std::sin(2 * M_PI * 3 * t), "", clRed);
    form.Series2().AddPoint(t, 1000.0 * t, "", clWhite);
    QApplication::processEvents();
  };
  for (int i = 0; i < 60; ++i) add(i);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  auto settle = [&](const std::function<bool()>& done) {
    return WaitFor(
        [&] {
          QApplication::processEvents();
          return done() && !chart.RepaintPending();
        },
        seconds(10));
  };
  ASSERT_TRUE(settle([] { return true; }));
  const std::vector<double> before = LabelValues(chart.BottomAxis());
  ASSERT_GE(before.size(), 3u);
  const std::string window = std::to_string(form.winId());

  LeftDrag(window, 120, 90, 260, 190);
  ASSERT_TRUE(settle([&] { return chart.Zooming().Zoomed(); })) << "the drag did not zoom";
  const std::vector<double> zoomed = LabelValues(chart.BottomAxis());
  ASSERT_FALSE(zoomed.empty());
  const auto [beforeLow, beforeHigh] = std::minmax_element(before.begin(), before.end());
  const auto [zoomedLow, zoomedHigh] = std::minmax_element(zoomed.begin(), zoomed.end());
  EXPECT_LT(*zoomedHigh - *zoomedLow, *beforeHigh - *beforeLow) << "the labels span less";
  EXPECT_GT(chart.BottomAxis().Minimum(), 0.0);
  EXPECT_LT(chart.BottomAxis().Maximum(), 0.59);

  const double min = chart.BottomAxis().Minimum();
  const double max = chart.BottomAxis().Maximum();
  for (int i = 60; i < 120; ++i) add(i);
  EXPECT_EQ(chart.BottomAxis().Minimum(), min) << "the zoom holds while points arrive";
  EXPECT_EQ(chart.BottomAxis().Maximum(), max);

  LeftDrag(window, 260, 190, 120, 90);
  ASSERT_TRUE(settle([&] { return !chart.Zooming().Zoomed(); })) << "the drag did not undo";
  EXPECT_TRUE(chart.BottomAxis().Automatic());
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum(), 1.19) << "the newest point in view";
}

}  // namespace
