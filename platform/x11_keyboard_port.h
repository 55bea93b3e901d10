// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>

#include "platform/clock.h"
#include "platform/keyboard_port.h"
#include "platform/scan_code_latch.h"

namespace kolva::platform {

// The keyboard data port from the X server's key state, on a connection of
// its own, so it answers inside busy loops that handle no window messages.
// The server is asked at most once per millisecond of `clock`; between two
// queries the last answer stands. Without a server it answers from `latch`,
// which the window feeds with its key events. `clock` and `latch` must
// outlive the port.
class X11KeyboardPort : public KeyboardPort {
 public:
  // Connects to the display named by DISPLAY (null) or by `display`.
  X11KeyboardPort(Clock& clock, ScanCodeLatch& latch, const char* display = nullptr);
  ~X11KeyboardPort() override;
  X11KeyboardPort(const X11KeyboardPort&) = delete;
  X11KeyboardPort& operator=(const X11KeyboardPort&) = delete;

  std::uint8_t ReadScanCode() override;
  // True when the server's key state is in use (else the latch answers).
  bool Connected() const;

 private:
  struct Connection;
  bool QueryKeyDown();

  Clock& clock_;
  ScanCodeLatch& latch_;
  std::unique_ptr<Connection> connection_;
  std::int64_t lastQuery_ = 0;
  bool queried_ = false;
  bool down_ = false;
};

}  // namespace kolva::platform
