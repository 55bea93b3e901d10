// SPDX-License-Identifier: MIT
// The built kolva program on the simulated card under a private X server,
// driven with xdotool as an operator would: a click on ACQUISITION START
// records a charted run into the results file while the chart window shows
// it; runs without charting are stopped by holding the S key.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "app/ui/tests/x_session.h"

namespace {

using namespace kolva::xsession;

// The number of CR LF pairs in `text`.
std::size_t LineEnds(const std::string& text) {
  std::size_t count = 0;
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++count;
  return count;
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

// kolva on the simulated card in a scratch folder: offsets 0, interval
// 0.01 s, the given length, HIGH range, trigger on '1', trigger off, and
// charting as asked.
class RunProgram : public KolvaRun {
 public:
  RunProgram(const std::string& display, bool chart, const std::string& length)
      : KolvaRun(display,
                 "0\r\n0\r\n0.01\r\n" + length + "\r\ntrue\r\ntrue\r\nfalse\r\n" +
                     (chart ? "true" : "false") + "\r\n",
                 "sim,in1=sine:2V:3Hz,in2=triangle:1V:1Hz", {"LC_ALL=C", "LANG=C"}) {}
};

class EndToEndRun : public KolvaXTest {
 protected:
  // The main window once start-up has found the card and set its caption.
  std::string MainWindow(const KolvaRun& program) {
    return FindWindow(display_.Name(), "Card found", program);
  }
};

TEST_F(EndToEndRun, StartClickRecordsAChartedRunIntoTheResultsFile) {
  RunProgram program(display_.Name(), true, "0.02");  // 1.2 s at 0.01 s
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
  RunProgram program(display_.Name(), false, "1");  // a minute, unless stopped
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
  RunProgram program(display_.Name(), false, "0.01");  // 0.6 s
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
