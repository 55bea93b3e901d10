// SPDX-License-Identifier: MIT
// The built kolva program on the simulated card under a private X server,
// while a run goes on on its sampler thread: the window keeps handling its
// messages (it repaints, a second click is ignored), and closing it mid-run
// keeps every line and ends the program at once.
#include <gtest/gtest.h>
#include <signal.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/ui/tests/x_session.h"

namespace {

using namespace kolva::xsession;

// What a window manager sends when the operator closes a window.
void SendDeleteWindow(const std::string& display, const std::string& window) {
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  const auto atom = [c](const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  };
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = static_cast<xcb_window_t>(std::stoul(window));
  event.type = atom("WM_PROTOCOLS");
  event.data.data32[0] = atom("WM_DELETE_WINDOW");
  event.data.data32[1] = XCB_CURRENT_TIME;
  xcb_send_event(c, 0, event.window, XCB_EVENT_MASK_NO_EVENT,
                 reinterpret_cast<const char*>(&event));
  // A round trip, so the server has delivered the message before this
  // connection goes: one closed right after a flush can lose it.
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  EXPECT_EQ(xcb_connection_has_error(c), 0) << "the close did not reach the X server";
  xcb_disconnect(c);
}

// The data lines of a results file: every line ends with CR LF, the header
// is there once, and the lines are numbered 0, 1, ... in order.
int WholeRunLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "a piece of a line at the end";
  if (lines.size() < 11) return -1;
  EXPECT_EQ(lines[0].rfind("Date of the measurement - ", 0), 0u);
  for (std::size_t i = 11; i < lines.size(); ++i) {
    if (lines[i].rfind(std::to_string(i - 11) + "              ", 0) != 0) {
      ADD_FAILURE() << "line " << i + 1 << ": '" << lines[i] << "'";
      return -1;
    }
  }
  return static_cast<int>(lines.size()) - 11;
}

// Offsets 0, the interval and length given, HIGH, trigger on '1' but off,
// charting as asked.
std::string Konfig(const std::string& interval, const std::string& length, bool chart) {
  return "0\r\n0\r\n" + interval + "\r\n" + length + "\r\ntrue\r\ntrue\r\nfalse\r\n" +
         (chart ? "true" : "false") + "\r\n";
}

class EndToEndSampler : public KolvaXTest {
 protected:
  int Lines(const KolvaRun& program) {
    int count = 0;
    for (char c : ReadFile(program.Results())) count += c == '\n';
    return count;
  }
};

TEST_F(EndToEndSampler, ClickDuringAnUnchartedRunIsIgnoredAndTheWindowRepaints) {
  KolvaRun program(display_.Name(), Konfig("0.01", "0.04", false), "sim", {"LC_ALL=C"});
  const std::string window = FindWindow(display_.Name(), "Card found", program);
  ASSERT_FALSE(window.empty());

  ClickStart(window);
  ASSERT_TRUE(WaitFor([&] { return Lines(program) > 40; }, seconds(20))) << "no run";
  // The progress bar moves on the screen while the run goes on.
  const fs::path shots = program.Folder();
  Capture(display_.Name(), {"import", "-window", window, (shots / "a.png").string()});
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  Capture(display_.Name(), {"import", "-window", window, (shots / "b.png").string()});
  ClickStart(window);
  ClickStart(window);
  ASSERT_TRUE(WaitUntilStill(program.Results(), seconds(3), seconds(30)));

  const int readings = WholeRunLines(ReadFile(program.Results()));
  EXPECT_GT(readings, 150);  // 2.4 s at 0.01 s in one run
  EXPECT_LE(readings, 241);
  const std::string a = ReadFile(shots / "a.png");
  EXPECT_FALSE(a.empty());
  EXPECT_NE(a, ReadFile(shots / "b.png")) << "the window did not repaint during the run";
}

// Closes the main window as a window manager would and answers how long the
// program took to end after it; a minute when it did not end.
std::chrono::steady_clock::duration CloseAndTime(const std::string& display,
                                                 const std::string& window,
                                                 const KolvaRun& program) {
  const auto closedAt = std::chrono::steady_clock::now();
  SendDeleteWindow(display, window);
  if (WaitFor([&] { return program.Status(false).has_value(); }, std::chrono::minutes(1),
              std::chrono::milliseconds(10))) {
    return std::chrono::steady_clock::now() - closedAt;
  }
  return std::chrono::minutes(1);
}

TEST_F(EndToEndSampler, ClosingTheMainWindowMidRunKeepsEveryLineAndEndsTheProgram) {
  KolvaRun program(display_.Name(), Konfig("0.001", "1", false), "sim", {"LC_ALL=C"});
  const std::string window = FindWindow(display_.Name(), "Card found", program);
  ASSERT_FALSE(window.empty());

  ClickStart(window);
  ASSERT_TRUE(WaitFor([&] { return Lines(program) > 500; }, seconds(20))) << "no run";

  EXPECT_LT(CloseAndTime(display_.Name(), window, program), seconds(1));
  EXPECT_EQ(program.Status(false), 0);
  EXPECT_GT(WholeRunLines(ReadFile(program.Results())), 500);
  EXPECT_EQ(ReadFile(program.Folder() / "konfig.txt"), Konfig("0.001", "1", false));
}

TEST_F(EndToEndSampler, ClosingTheMainWindowClosesTheChartWindowAndEndsTheProgram) {
  KolvaRun program(display_.Name(), Konfig("0.001", "0.01", true),
                   "sim,in1=sine:2V:3Hz,in2=triangle:1V:1Hz", {"LC_ALL=C"});
  const std::string window = FindWindow(display_.Name(), "Card found", program);
  ASSERT_FALSE(window.empty());
  ClickStart(window);
  ASSERT_TRUE(WaitFor([&] { return Lines(program) > 11; }, seconds(20))) << "no run";
  ASSERT_TRUE(WaitUntilStill(program.Results(), seconds(2), seconds(30)));
  ASSERT_FALSE(Xdotool(display_.Name(), {"search", "--onlyvisible", "--name", "WYKRES"}).empty())
      << "no chart window";

  EXPECT_LT(CloseAndTime(display_.Name(), window, program), seconds(1));
  EXPECT_EQ(program.Status(false), 0);
  EXPECT_GT(WholeRunLines(ReadFile(program.Results())), 300);
}

// The results file reaches the disk in whole lines only, so a recording
// killed at any moment leaves no piece of a line behind.
TEST_F(EndToEndSampler, KilledRecordingLeavesOnlyWholeLines) {
  KolvaRun program(display_.Name(), Konfig("0.0001", "1", false), "sim", {"LC_ALL=C"});
  const std::string window = FindWindow(display_.Name(), "Card found", program);
  ASSERT_FALSE(window.empty());

  ClickStart(window);
  ASSERT_TRUE(WaitFor([&] { return Lines(program) > 5000; }, seconds(20))) << "no run";
  ::kill(program.Pid(), SIGKILL);
  ASSERT_TRUE(program.Status(true).has_value());

  EXPECT_GT(WholeRunLines(ReadFile(program.Results())), 5000);
}

}  // namespace
