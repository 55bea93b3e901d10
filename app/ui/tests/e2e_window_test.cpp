// SPDX-License-Identifier: MIT
// The built kolva program on the simulated card under a private X server:
// it starts the probe, finds the card, shows its caption, and writes
// konfig.txt when the window is closed the way a window manager closes it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Waits for `done` to hold, checking every 20 ms, for at most `limit`: the
// program under test is a real process with real start-up time.
bool WaitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
  const auto deadline = Clock::now() + limit;
  while (!done()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// A child process started with `argv` in `folder`, with extra environment.
pid_t Spawn(const std::vector<std::string>& argv, const std::string& folder,
            const std::vector<std::string>& environment, int keepFd = -1) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(126);
  for (const std::string& entry : environment) ::putenv(const_cast<char*>(entry.c_str()));
  const int null = ::open("/dev/null", O_RDWR);
  ::dup2(null, STDIN_FILENO);
  if (keepFd != STDOUT_FILENO) ::dup2(null, STDOUT_FILENO);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

std::optional<int> ExitStatus(pid_t pid, bool wait) {
  int status = 0;
  if (::waitpid(pid, &status, wait ? 0 : WNOHANG) != pid) return std::nullopt;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// An Xvfb on a display number it chooses itself (-displayfd).
class PrivateDisplay {
 public:
  PrivateDisplay() {
    int fds[2];
    if (::pipe(fds) != 0) return;
    pid_ = Spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0",
                  "1024x768x24", "-nolisten", "tcp"},
                 "", {}, -1);
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

class XConnection {
 public:
  explicit XConnection(const std::string& display)
      : connection_(xcb_connect(display.c_str(), nullptr)) {}
  ~XConnection() { xcb_disconnect(connection_); }
  bool Ok() const { return xcb_connection_has_error(connection_) == 0; }

  xcb_atom_t Atom(const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection_, xcb_intern_atom(connection_, 0, std::strlen(name), name),
                              nullptr),
        &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  }

  std::string Title(xcb_window_t window) {
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        connection_, 0, window, Atom("_NET_WM_NAME"), XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection_, cookie, nullptr), &std::free);
    if (!reply) return "";
    return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                       xcb_get_property_value_length(reply.get()));
  }

  // The top-level windows' titles (no window manager: the root's children).
  std::vector<std::pair<xcb_window_t, std::string>> TopLevels() {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&std::free)> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root), nullptr), &std::free);
    std::vector<std::pair<xcb_window_t, std::string>> windows;
    if (!tree) return windows;
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
      windows.emplace_back(children[i], Title(children[i]));
    }
    return windows;
  }

  // What a window manager sends when the operator closes a window.
  void SendDeleteWindow(xcb_window_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = Atom("WM_PROTOCOLS");
    event.data.data32[0] = Atom("WM_DELETE_WINDOW");
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection_, 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection_);
  }

 private:
  xcb_connection_t* connection_;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(EndToEnd, KolvaFindsTheSimulatedCardAndSavesItsSettingsOnClose) {
  const char* build = std::getenv("KOLVA_BUILD_DIR");
  ASSERT_NE(build, nullptr);
  const std::string kolva = std::string(build) + "/app/ui/kolva";
  ASSERT_TRUE(fs::exists(kolva));
  ASSERT_TRUE(fs::exists(std::string(build) + "/app/ui/probecard")) << "the probe beside kolva";
  if (!fs::exists("/usr/bin/Xvfb")) GTEST_SKIP() << "Xvfb is not installed";

  char pattern[] = "/tmp/kolva-e2e-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const fs::path folder = pattern;
  // Line 1 is clamped and line 8's "TRUE" reads as false, so the file the
  // program writes back differs from this one.
  std::ofstream(folder / "konfig.txt", std::ios::binary)
      << "500\r\n-3\r\n0.001\r\n0.1\r\ntrue\r\ntrue\r\ntrue\r\nTRUE\r\n";
  std::ofstream(folder / "korekcje.txt", std::ios::binary)
      << "0\r\n0\r\n1\r\n1\r\n366.2109375\r\n3906.25\r\n";

  PrivateDisplay display;
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
  const pid_t program =
      Spawn({kolva}, folder.string(),
            {"DISPLAY=" + display.Name(), "KOLVA_CARD=sim", "QT_QPA_PLATFORM=xcb"});
  XConnection x(display.Name());
  ASSERT_TRUE(x.Ok());

  xcb_window_t window = XCB_WINDOW_NONE;
  std::string title;
  const bool shown = WaitFor(
      [&] {
        for (const auto& [id, name] : x.TopLevels()) {
          if (name.find("card") != std::string::npos || name.find("Card") != std::string::npos) {
            window = id;
            title = name;
          }
        }
        return window != XCB_WINDOW_NONE || ExitStatus(program, false).has_value();
      },
      std::chrono::seconds(30));
  ASSERT_TRUE(shown && window != XCB_WINDOW_NONE) << "no main window with a card caption";
  EXPECT_EQ(title, "  Card found on adress  -  $D800");
  EXPECT_EQ(ReadFile(folder / "bar.txt").substr(0, 5), "$D800") << "the probe wrote bar.txt";

  x.SendDeleteWindow(window);
  std::optional<int> status;
  const bool ended = WaitFor([&] { return (status = ExitStatus(program, false)).has_value(); },
                             std::chrono::seconds(20));
  if (!ended) {
    ::kill(program, SIGKILL);
    ExitStatus(program, true);
  }
  ASSERT_TRUE(ended) << "kolva did not end when its window was closed";
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(ReadFile(folder / "konfig.txt"),
            "200\r\n-3\r\n0.001\r\n0.1\r\ntrue\r\ntrue\r\ntrue\r\nfalse\r\n");
  fs::remove_all(folder);
}

}  // namespace
