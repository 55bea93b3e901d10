// SPDX-License-Identifier: MIT
// The built kolva program on the simulated card under a private X server:
// SIGTERM, SIGINT and SIGHUP end it as a close of its main window does: a
// run in progress ends keeping every line, konfig.txt is saved, status 0.
#include <gtest/gtest.h>
#include <signal.h>

#include <regex>
#include <string>

#include "app/ui/tests/x_session.h"

namespace {

using namespace kolva::xsession;

// Offsets 0, 0.01 s for a minute, HIGH, trigger on '1', trigger and chart
// off; "Save parameters on exit" is checked by default.
const std::string kKonfig = "0\r\n0\r\n0.01\r\n1\r\ntrue\r\ntrue\r\nfalse\r\nfalse\r\n";
// The same after a click on "IF '0' acquistition starts".
const std::string kSavedKonfig = "0\r\n0\r\n0.01\r\n1\r\ntrue\r\nfalse\r\nfalse\r\nfalse\r\n";

class EndToEndSignalClose : public KolvaXTest {
 protected:
  // The file dialog of the FS button, or "" once it is gone.
  std::string Dialog() {
    const std::string found =
        Xdotool(display_.Name(), {"search", "--onlyvisible", "--name", "^Open$"});
    return found.substr(0, found.find('\n'));
  }
  // The program's exit status, giving up after 10 s.
  static int EndStatus(const KolvaRun& program) {
    if (!WaitFor([&] { return program.Status(false).has_value(); }, seconds(10))) {
      ADD_FAILURE() << "kolva did not end within 10 s of the signal";
      return -1;
    }
    return *program.Status(false);
  }
};

std::size_t CountLines(const std::string& text) {
  std::size_t count = 0;
  for (std::size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++count;
  return count;
}

// Every line ends with CR LF; after the 11 header lines, data lines in the
// HIGH format numbered from 0 without a gap. Answers their number.
int CheckWholeResults(const std::string& text) {
  const std::regex data("(\\d+) {14}-?\\d+\\.\\d\\d {4}-?\\d+\\.\\d\\d {9}[-0-9.E]+");
  EXPECT_TRUE(text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0)
      << "the last line is not whole";
  int line = 0;
  int readings = 0;
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
       start = end + 2, ++line) {
    const std::string content = text.substr(start, end - start);
    if (line == 0) {
      EXPECT_EQ(content.rfind("Date of the measurement - ", 0), 0u);
    } else if (line == 9) {
      EXPECT_EQ(content, "NR of the sample    INP1     INP2     TIME BASE");
    }
    if (line < 11) continue;
    std::smatch m;
    if (!std::regex_match(content, m, data)) {
      ADD_FAILURE() << "line " << line + 1 << ": '" << content << "'";
      continue;
    }
    EXPECT_EQ(m[1].str(), std::to_string(readings)) << "line " << line + 1;
    ++readings;
  }
  EXPECT_GE(line, 11) << "header incomplete";
  return readings;
}

TEST_F(EndToEndSignalClose, SigtermMidRunEndsTheRunKeepingEveryLineAndSavesKonfig) {
  KolvaRun program(display_.Name(), kKonfig, "sim,in1=sine:2V:3Hz", {"LC_ALL=C", "LANG=C"});
  const std::string window = FindWindow(display_.Name(), "Card found", program);
  ASSERT_FALSE(window.empty()) << "no main window with the card's caption";

  ClickAt(window, 300, 120);  // RadioButton1 (240, 112, 145 x 17)
  ClickAt(window, 148, 396);  // ACQUISITION START, handled after the click above
  ASSERT_TRUE(WaitFor([&] { return CountLines(ReadFile(program.Results())) > 40; }, seconds(20)))
      << "the run did not start";
  ::kill(program.Pid(), SIGTERM);

  EXPECT_EQ(EndStatus(program), 0);
  const int readings = CheckWholeResults(ReadFile(program.Results()));
  EXPECT_GT(readings, 29);
  EXPECT_LT(readings, 6000) << "the run was not ended by the signal";
  EXPECT_EQ(ReadFile(program.Folder() / "konfig.txt"), kSavedKonfig);
}

// Idle, once with the file dialog open (its own event loop) and once with
// two signals in a row: each ends the program with its settings saved.
TEST_F(EndToEndSignalClose, SighupAndSigintWhileIdleSaveKonfig) {
  for (const bool dialogOpen : {true, false}) {
    SCOPED_TRACE(dialogOpen ? "SIGHUP, dialog open" : "SIGINT twice");
    KolvaRun program(display_.Name(), kKonfig, "sim", {"LC_ALL=C", "LANG=C"});
    const std::string window = FindWindow(display_.Name(), "Card found", program);
    ASSERT_FALSE(window.empty()) << "no main window with the card's caption";

    ClickAt(window, 300, 120);  // RadioButton1
    // The dialog shows once the click before it has been handled.
    ClickAt(window, 483, 339);  // FS (472, 328, 23 x 22)
    ASSERT_TRUE(WaitFor([&] { return !Dialog().empty(); }, seconds(20))) << "no file dialog";
    if (dialogOpen) {
      ::kill(program.Pid(), SIGHUP);
    } else {
      Xdotool(display_.Name(), {"mousemove", "--window", Dialog(), "300", "200"});
      Xdotool(display_.Name(), {"key", "Escape"});
      ASSERT_TRUE(WaitFor([&] { return Dialog().empty(); }, seconds(20))) << "the dialog stayed";
      ::kill(program.Pid(), SIGINT);
      ::kill(program.Pid(), SIGINT);
    }

    EXPECT_EQ(EndStatus(program), 0);
    EXPECT_EQ(ReadFile(program.Folder() / "konfig.txt"), kSavedKonfig);
  }
}

}  // namespace
