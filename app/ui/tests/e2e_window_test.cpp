// SPDX-License-Identifier: MIT
// The built kolva program on the simulated card under a private X server:
// it starts the probe, finds the card, shows its caption, and writes
// konfig.txt when the window is closed the way a window manager closes it.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/ui/tests/x_session.h"

namespace {

using namespace kolva::xsession;

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

// Starts kolva on the simulated card with `konfig`, waits for the main
// window's card caption, closes the window as a window manager does and
// answers the caption and the konfig.txt the program saved.
struct Session {
  std::string title;
  std::optional<int> status;
  std::string saved;
};

Session StartAndClose(const std::string& konfig, std::vector<std::string> environment = {}) {
  Session session;
  PrivateDisplay display;
  EXPECT_FALSE(display.Name().empty()) << "Xvfb did not start";
  const KolvaRun program(display.Name(), konfig, "sim", std::move(environment));
  EXPECT_FALSE(program.Folder().empty()) << "no scratch folder";
  XConnection x(display.Name());
  EXPECT_TRUE(x.Ok());
  if (display.Name().empty() || program.Folder().empty() || !x.Ok()) return session;

  xcb_window_t window = XCB_WINDOW_NONE;
  WaitFor(
      [&] {
        for (const auto& [id, name] : x.TopLevels()) {
          if (name.find("card") != std::string::npos || name.find("Card") != std::string::npos) {
            window = id;
            session.title = name;
          }
        }
        return window != XCB_WINDOW_NONE || program.Status(false).has_value();
      },
      seconds(30), std::chrono::milliseconds(20));
  EXPECT_NE(window, XCB_WINDOW_NONE) << "no main window with a card caption";
  EXPECT_EQ(ReadFile(program.Folder() / "bar.txt").substr(0, 5), "$D800")
      << "the probe wrote bar.txt";
  if (window == XCB_WINDOW_NONE) return session;

  x.SendDeleteWindow(window);
  WaitFor([&] { return program.Status(false).has_value(); }, seconds(20),
          std::chrono::milliseconds(20));
  session.status = program.Status(false);
  session.saved = ReadFile(program.Folder() / "konfig.txt");
  return session;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = std::getenv("KOLVA_BUILD_DIR");
    ASSERT_NE(build, nullptr);
    ASSERT_TRUE(fs::exists(std::string(build) + "/app/ui/kolva"));
    ASSERT_TRUE(fs::exists(std::string(build) + "/app/ui/probecard")) << "the probe beside kolva";
    if (!OnPath("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
  }
};

TEST_F(EndToEnd, KolvaFindsTheSimulatedCardAndSavesItsSettingsOnClose) {
  // Line 1 is clamped and line 8's "TRUE" reads as false, so the file the
  // program writes back differs from this one.
  const Session session =
      StartAndClose("500\r\n-3\r\n0.001\r\n0.1\r\ntrue\r\ntrue\r\ntrue\r\nTRUE\r\n");
  EXPECT_EQ(session.title, "  Card found on adress  -  $D800");
  ASSERT_TRUE(session.status.has_value()) << "kolva did not end when its window was closed";
  EXPECT_EQ(session.status, 0);
  EXPECT_EQ(session.saved, "200\r\n-3\r\n0.001\r\n0.1\r\ntrue\r\ntrue\r\ntrue\r\nfalse\r\n");
}

// Settings written in an English locale start kolva in a Polish one: the
// card is found (korekcje.txt's points read too), and the next save writes
// the numbers with the locale's comma. The locale is compiled for the test
// alone, so the machine's own locales do not matter.
TEST_F(EndToEnd, SettingsWrittenWithADecimalPointLoadInAPolishLocale) {
  char pattern[] = "/tmp/kolva-locale-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const fs::path locales = pattern;
  const std::string compile =
      "localedef -i pl_PL -f UTF-8 " + (locales / "pl_PL.UTF-8").string() + " >/dev/null 2>&1";
  if (std::system(compile.c_str()) != 0 || !fs::exists(locales / "pl_PL.UTF-8")) {
    fs::remove_all(locales);
    GTEST_SKIP() << "no locale sources to compile pl_PL from (Debian's locales package)";
  }
  const Session session =
      StartAndClose("0\r\n0\r\n0.001\r\n0.1\r\nfalse\r\ntrue\r\nfalse\r\nfalse\r\n",
                    {"LOCPATH=" + locales.string(), "LC_ALL=pl_PL.UTF-8"});
  fs::remove_all(locales);
  EXPECT_EQ(session.title, "  Card found on adress  -  $D800") << "a settings file did not load";
  EXPECT_EQ(session.status, 0);
  EXPECT_EQ(session.saved, "0\r\n0\r\n0,001\r\n0,1\r\nfalse\r\ntrue\r\nfalse\r\nfalse\r\n");
}

}  // namespace
