// SPDX-License-Identifier: MIT
// Results files opened from the main window of the built kolva under an X
// server of its own: the command line's file, Ctrl+O on the main window
// through the chart window's file dialog, and a file dragged from another
// program and dropped on the main window. Wrong arguments end the program
// at once with status 2.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "app/ui/tests/x_session.h"

namespace {

using namespace kolva::xsession;

constexpr const char* kKonfig = "0\r\n0\r\n0.001\r\n0.1\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n";

void WriteResults(const fs::path& path, int lines) {
  std::ofstream out(path, std::ios::binary);
  out << "Date of the measurement - 07.03.2026\r\nTime of the measurement - 12:34:56\r\n \r\n \r\n"
         "Time between samples in seconds - 0.001\r\n \r\nMeasurement lenth in minutes - 1\r\n"
         " \r\n \r\nNR of the sample    INP1     INP2     TIME BASE\r\n \r\n";
  for (int n = 0; n < lines; ++n)
    out << n << "              1.000    2.000         " << n << "\r\n";
}

class OpenFileEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(KolvaRun::Program().empty()) << "KOLVA_BUILD_DIR is not set";
    char pattern[] = "/tmp/kolva-open-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    files_ = pattern;
  }
  void TearDown() override {
    if (!files_.empty()) fs::remove_all(files_);
  }
  fs::path files_;
};

TEST_F(OpenFileEndToEnd, WrongArgumentsEndWithStatusTwo) {
  for (const auto& arguments : {std::vector<std::string>{"a.txt", "b.txt"}, {"--geometry"}}) {
    const KolvaRun program("", kKonfig, "sim", {}, arguments);
    EXPECT_EQ(program.Status(true), 2) << arguments.front();
  }
}

TEST_F(OpenFileEndToEnd, CommandLineFileThenCtrlOAndADropOnTheMainWindow) {
  if (!OnPath("Xvfb") || !OnPath("xdotool")) GTEST_SKIP() << "needs Xvfb and xdotool";
  const PrivateDisplay display;
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
  WriteResults(files_ / "first.txt", 300);
  WriteResults(files_ / "second.txt", 200);
  WriteResults(files_ / "dropped.txt", 100);
  const std::string screen = display.Name();
  const KolvaRun program(screen, kKonfig, "sim", {}, {(files_ / "first.txt").string()});

  // The command line's file, in the chart window beside the main window.
  EXPECT_FALSE(FindWindow(screen, "^WYKRES - first.txt - 07.03.2026 12:34:56$", program).empty())
      << "no chart window with the command line's file";
  const std::string main = FindWindow(screen, "card", program);
  ASSERT_FALSE(main.empty()) << "no main window; kolva's status "
                             << program.Status(false).value_or(-1) << " (-1: running)";

  // Ctrl+O on the main window: the chart window's dialog opens the file.
  Xdotool(screen, {"windowfocus", "--sync", main});
  Xdotool(screen, {"key", "ctrl+o"});
  const std::string dialog = FindWindow(screen, "^Open results file$", program);
  ASSERT_FALSE(dialog.empty()) << "no file dialog after Ctrl+O on the main window";
  Xdotool(screen, {"windowfocus", "--sync", dialog});
  Xdotool(screen, {"type", "--delay", "5", (files_ / "second.txt").string()});
  Xdotool(screen, {"key", "Return"});
  EXPECT_FALSE(FindWindow(screen, "^WYKRES - second.txt", program).empty())
      << "the dialog's file is not shown";

  // A drag from another program dropped on the main window's free bottom
  // row (START button; the chart window covers the top).
  const char* build = std::getenv("KOLVA_BUILD_DIR");
  const int log = ::open((files_ / "drag.log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const pid_t source =
      Spawn({std::string(build) + "/wykres/wykres_drag_source", (files_ / "dropped.txt").string()},
            "", {"DISPLAY=" + screen, "QT_QPA_PLATFORM=xcb"}, log);
  ::close(log);
  ASSERT_TRUE(WaitFor(
      [&] {
        return !Xdotool(screen, {"search", "--onlyvisible", "--name", "drag source"}).empty();
      },
      seconds(20)));
  // Each step waits for the two programs to see the pointer move.
  auto moveTo = [&](int x, int y) {
    Xdotool(screen, {"mousemove", std::to_string(x), std::to_string(y)});
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
  };
  moveTo(760, 500);
  Xdotool(screen, {"mousedown", "1"});
  for (int i = 1; i <= 6; ++i) moveTo(760 + (471 - 760) * i / 6, 500 + (533 - 500) * i / 6);
  Xdotool(screen, {"mouseup", "1"});
  EXPECT_FALSE(FindWindow(screen, "^WYKRES - dropped.txt", program).empty())
      << "the dropped file is not shown";
  WaitFor([&] { return !ReadFile(files_ / "drag.log").empty(); }, seconds(10));
  EXPECT_EQ(ReadFile(files_ / "drag.log"), "taken\n");
  ::kill(source, SIGTERM);
  ExitStatus(source, true);
  EXPECT_FALSE(program.Status(false).has_value()) << "kolva ended";
}

}  // namespace
