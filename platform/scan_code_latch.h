// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/keyboard_port.h"

namespace kolva::platform {

// A keyboard port fed by a window's key events: it holds the last press or
// release code noted, as the keyboard controller does. Safe to feed from one
// thread and read from another.
class ScanCodeLatch : public KeyboardPort {
 public:
  void NoteKeyPressed(std::uint8_t scanCode) { last_.store(scanCode & 0x7F); }
  void NoteKeyReleased(std::uint8_t scanCode) { last_.store((scanCode & 0x7F) | kReleaseBit); }
  std::uint8_t ReadScanCode() override { return last_.load(); }

 private:
  std::atomic<std::uint8_t> last_{0};
};

}  // namespace kolva::platform
