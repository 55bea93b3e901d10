// SPDX-License-Identifier: MIT
// The built kolva program on the simulated card under a private X server,
// driven with xdotool as an operator would: a click on ACQUISITION START
// records a charted run into the results file while the chart window shows
// it; runs without charting are stopped by holding the S key.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

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

// Starts `argv` in `folder` with extra environment; its standard output
// goes to `outFd` (else /dev/null).
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

// Runs xdotool on `display` and answers what it printed.
std::string Xdotool(const std::string& display, const std::vector<std::string>& args) {
  int fds[2];
  if (::pipe(fds) != 0) return "";
  std::vector<std::string> argv{"xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  const pid_t pid = Spawn(argv, "", {"DISPLAY=" + display}, fds[1]);
  ::close(fds[1]);
  std::string out;
  char buffer[256];
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

// The number of CR LF pairs in `text`.
std::size_t LineEnds(const std::string& text) {
  std::size_t count = 0;
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++count;
  return count;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The file's lines, each of which must end with CR LF.
std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last CR LF";
  return lines;
}

// A number in the C notation; NaN when the text is not one.
double Number(const std::string& text) {
  double value = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  if (result.ec != std::errc() || result.ptr != text.data() + text.size()) return std::nan("");
  return value;
}

// Checks the header and that every data line has the format's shape with
// consecutive numbers from 0 and the time column n * interval; answers the
// number of data lines.
int CheckResults(const std::string& text, const std::string& interval, const std::string& length,
                 double intervalSeconds) {
  const std::vector<std::string> lines = CrLfLines(text);
  if (lines.size() < 11) {
    ADD_FAILURE() << "header incomplete";
    return 0;
  }
  EXPECT_TRUE(std::regex_match(lines[0], std::regex("Date of the measurement - \\S+")));
  EXPECT_TRUE(std::regex_match(lines[1], std::regex("Time of the measurement - \\S+.*")));
  EXPECT_EQ(lines[4], "Time between samples in seconds - " + interval);
  EXPECT_EQ(lines[6], "Measurement lenth in minutes - " + length);
  EXPECT_EQ(lines[9], "NR of the sample    INP1     INP2     TIME BASE");
  for (int blank : {2, 3, 5, 7, 8, 10}) EXPECT_EQ(lines[blank], " ") << "line " << blank + 1;
  // The konfig.txt below selects HIGH: two decimals.
  const std::regex data("(\\d+) {14}(-?\\d+\\.\\d\\d) {4}(-?\\d+\\.\\d\\d) {9}([-0-9.E]+)");
  for (std::size_t i = 11; i < lines.size(); ++i) {
    std::smatch m;
    if (!std::regex_match(lines[i], m, data)) {
      ADD_FAILURE() << "line " << i + 1 << ": '" << lines[i] << "'";
      continue;
    }
    EXPECT_EQ(m[1].str(), std::to_string(i - 11));
    EXPECT_NEAR(Number(m[4].str()), static_cast<double>(i - 11) * intervalSeconds, 1e-9);
  }
  return static_cast<int>(lines.size()) - 11;
}

// The program in a scratch folder with its settings files.
class KolvaRun {
 public:
  KolvaRun(const std::string& display, bool chart, const std::string& length) {
    char pattern[] = "/tmp/kolva-e2e-run-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) return;
    folder_ = pattern;
    // Offsets, interval, length, HIGH range, trigger on '1', trigger off, chart.
    std::ofstream(folder_ / "konfig.txt", std::ios::binary)
        << "0\r\n0\r\n0.01\r\n"
        << length << "\r\ntrue\r\ntrue\r\nfalse\r\n"
        << (chart ? "true" : "false") << "\r\n";
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

class EndToEndRun : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = std::getenv("KOLVA_BUILD_DIR");
    ASSERT_NE(build, nullptr);
    ASSERT_TRUE(fs::exists(std::string(build) + "/app/ui/kolva"));
    if (!OnPath("Xvfb") || !OnPath("xdotool")) GTEST_SKIP() << "needs Xvfb and xdotool";
    ASSERT_FALSE(display_.Name().empty()) << "Xvfb did not start";
  }

  // The main window once start-up has found the card and set its caption.
  std::string MainWindow(const KolvaRun& program) {
    std::string id;
    WaitFor(
        [&] {
          id = Xdotool(display_.Name(), {"search", "--onlyvisible", "--name", "Card found"});
          return !id.empty() || ExitStatus(program.Pid(), false).has_value();
        },
        seconds(30));
    return id.substr(0, id.find('\n'));
  }

  // A click in the middle of Button3 (0, 376, 297 x 41 in the window).
  void ClickStart(const std::string& window) {
    Xdotool(display_.Name(), {"mousemove", "--window", window, "148", "396"});
    Xdotool(display_.Name(), {"click", "1"});
  }

  // Waits until the file has stopped growing for `quiet` (the run flushes
  // at least once a second while it goes on).
  bool WaitUntilStill(const fs::path& file, seconds quiet, seconds limit) {
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
          return SteadyClock::now() - since >= quiet;
        },
        limit);
  }

  PrivateDisplay display_;
};

TEST_F(EndToEndRun, StartClickRecordsAChartedRunIntoTheResultsFile) {
  KolvaRun program(display_.Name(), true, "0.02");  // 1.2 s at 0.01 s
  const std::string window = MainWindow(program);
  ASSERT_FALSE(window.empty()) << "no main window with the card's caption";

  ClickStart(window);

  ASSERT_TRUE(WaitFor([&] { return fs::exists(program.Results()); }, seconds(20)))
      << "no results file";
  ASSERT_TRUE(WaitUntilStill(program.Results(), seconds(2), seconds(60)));
  const int readings = CheckResults(ReadFile(program.Results()), "0.01", "0.02", 0.01);
  // 1.2 s at 0.01 s: 119 readings on schedule, fewer if the machine is busy.
  EXPECT_GE(readings, 30);
  EXPECT_LE(readings, 120);
  EXPECT_FALSE(Xdotool(display_.Name(), {"search", "--onlyvisible", "--name", "WYKRES"}).empty())
      << "the chart window did not appear";
}

TEST_F(EndToEndRun, HeldStopKeyEndsRunsWithoutCharting) {
  KolvaRun program(display_.Name(), false, "1");  // a minute, unless stopped
  const std::string window = MainWindow(program);
  ASSERT_FALSE(window.empty()) << "no main window with the card's caption";

  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    // The second click can only start a run if the first one gave the
    // button back and the window handles messages again.
    ClickStart(window);
    // Lines reach the disk at least once a second while the run goes on.
    ASSERT_TRUE(WaitFor([&] { return LineEnds(ReadFile(program.Results())) > 30; }, seconds(20)))
        << "the run did not start";
    Xdotool(display_.Name(), {"keydown", "s"});
    const bool still = WaitUntilStill(program.Results(), seconds(2), seconds(20));
    Xdotool(display_.Name(), {"keyup", "s"});
    ASSERT_TRUE(still) << "the run went on after S";

    const int readings = CheckResults(ReadFile(program.Results()), "0.01", "1", 0.01);
    EXPECT_GT(readings, 19);
    EXPECT_LT(readings, 3000);      // half of a full minute's 6000
    fs::remove(program.Results());  // the next run's file is then a new one
  }
  EXPECT_TRUE(Xdotool(display_.Name(), {"search", "--onlyvisible", "--name", "WYKRES"}).empty())
      << "the chart window appeared for runs without charting";
}

// Edit4 (336, 328, 129 x 21 in the window) made to hold `name`.
void TypeFileName(const std::string& display, const std::string& window, const std::string& name) {
  Xdotool(display, {"mousemove", "--window", window, "400", "338"});
  Xdotool(display, {"click", "1"});
  Xdotool(display, {"key", "ctrl+a", "BackSpace"});
  Xdotool(display, {"type", "--delay", "20", name});
}

TEST_F(EndToEndRun, FailedRunShowsItsErrorAndLeavesTheWindowUsable) {
  KolvaRun program(display_.Name(), false, "0.01");  // 0.6 s
  const std::string window = MainWindow(program);
  ASSERT_FALSE(window.empty()) << "no main window with the card's caption";

  TypeFileName(display_.Name(), window, "no such folder/results.txt");
  ClickStart(window);
  std::string box;
  ASSERT_TRUE(WaitFor(
      [&] {
        box = Xdotool(display_.Name(), {"search", "--onlyvisible", "--name", "^Kolva$"});
        return !box.empty();
      },
      seconds(20)))
      << "no error box";
  Xdotool(display_.Name(), {"key", "Return"});
  ASSERT_TRUE(WaitFor(
      [&] {
        return Xdotool(display_.Name(), {"search", "--onlyvisible", "--name", "^Kolva$"}).empty();
      },
      seconds(20)))
      << "the error box stayed";

  // The button is back: a second click with a usable name runs.
  TypeFileName(display_.Name(), window, "second.txt");
  ClickStart(window);
  const fs::path second = program.Results().parent_path() / "second.txt";
  ASSERT_TRUE(WaitFor([&] { return fs::exists(second); }, seconds(20))) << "no second run";
  ASSERT_TRUE(WaitUntilStill(second, seconds(2), seconds(30)));
  EXPECT_GT(CheckResults(ReadFile(second), "0.01", "0.01", 0.01), 0);
}

}  // namespace
