// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace kolva::platform {

// The keyboard controller's data port as the program reads it: the last scan
// code seen. The stop key S reads 31 while it is down. Readable from busy
// loops that handle no window messages.
class KeyboardPort {
 public:
  static constexpr std::uint8_t kScanCodeS = 31;
  // A key's release code: its press code with the top bit set.
  static constexpr std::uint8_t kReleaseBit = 0x80;

  virtual ~KeyboardPort() = default;
  virtual std::uint8_t ReadScanCode() = 0;
};

}  // namespace kolva::platform
