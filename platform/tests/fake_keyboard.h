// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>

#include "platform/keyboard_port.h"

namespace kolva::platform {

// A keyboard port for tests: returns `scanCode`, counting reads; `onRead`,
// when set, runs before each read and may change the code (press S on the
// n-th read, say).
class FakeKeyboard : public KeyboardPort {
 public:
  std::uint8_t scanCode = 0;
  int reads = 0;
  std::function<void(FakeKeyboard&)> onRead;

  std::uint8_t ReadScanCode() override {
    if (onRead) onRead(*this);
    ++reads;
    return scanCode;
  }
};

}  // namespace kolva::platform
