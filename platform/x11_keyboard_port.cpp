// SPDX-License-Identifier: MIT
#include "platform/x11_keyboard_port.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

namespace kolva::platform {
namespace {

constexpr xcb_keysym_t kKeysymLowerS = 0x73;
constexpr xcb_keysym_t kKeysymUpperS = 0x53;
// The server is asked at most once per millisecond of counter time.
constexpr std::int64_t kQueryInterval = Clock::kCounterTicksPerSecond / 1000;

// The keycodes the server maps to the S key, from its keyboard mapping.
std::vector<xcb_keycode_t> KeycodesOfS(xcb_connection_t* connection) {
  const xcb_setup_t* setup = xcb_get_setup(connection);
  const int count = setup->max_keycode - setup->min_keycode + 1;
  xcb_get_keyboard_mapping_reply_t* reply = xcb_get_keyboard_mapping_reply(
      connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr);
  std::vector<xcb_keycode_t> keycodes;
  if (reply == nullptr) return keycodes;
  const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(reply);
  const int perKeycode = reply->keysyms_per_keycode;
  for (int i = 0; i < count; ++i) {
    for (int j = 0; j < perKeycode; ++j) {
      const xcb_keysym_t keysym = keysyms[i * perKeycode + j];
      if (keysym == kKeysymLowerS || keysym == kKeysymUpperS) {
        keycodes.push_back(static_cast<xcb_keycode_t>(setup->min_keycode + i));
        break;
      }
    }
  }
  std::free(reply);
  return keycodes;
}

}  // namespace

struct X11KeyboardPort::Connection {
  xcb_connection_t* xcb = nullptr;
  std::vector<xcb_keycode_t> keycodesOfS;
};

X11KeyboardPort::X11KeyboardPort(Clock& clock, ScanCodeLatch& latch, const char* display)
    : clock_(clock), latch_(latch) {
  xcb_connection_t* xcb = xcb_connect(display, nullptr);
  if (xcb_connection_has_error(xcb) != 0) {
    xcb_disconnect(xcb);
    return;
  }
  connection_ = std::make_unique<Connection>();
  connection_->xcb = xcb;
  connection_->keycodesOfS = KeycodesOfS(xcb);
}

X11KeyboardPort::~X11KeyboardPort() {
  if (connection_) xcb_disconnect(connection_->xcb);
}

bool X11KeyboardPort::Connected() const {
  return connection_ != nullptr;
}

bool X11KeyboardPort::QueryKeyDown() {
  const std::int64_t now = clock_.QueryPerformanceCounter();
  if (queried_ && now - lastQuery_ < kQueryInterval) return down_;
  queried_ = true;
  lastQuery_ = now;
  xcb_query_keymap_reply_t* reply =
      xcb_query_keymap_reply(connection_->xcb, xcb_query_keymap(connection_->xcb), nullptr);
  if (reply == nullptr) {
    // The server went away: the window's key events answer from now on.
    xcb_disconnect(connection_->xcb);
    connection_.reset();
    return down_ = false;
  }
  down_ = false;
  for (const xcb_keycode_t keycode : connection_->keycodesOfS) {
    if ((reply->keys[keycode / 8] >> (keycode % 8)) & 1) down_ = true;
  }
  std::free(reply);
  return down_;
}

std::uint8_t X11KeyboardPort::ReadScanCode() {
  if (!connection_) return latch_.ReadScanCode();
  if (QueryKeyDown()) return kScanCodeS;
  const std::uint8_t latched = latch_.ReadScanCode();
  // The server saw S go up before the window's release event arrived.
  if (latched == kScanCodeS) return kScanCodeS | kReleaseBit;
  return latched;
}

}  // namespace kolva::platform
