// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "platform/keyboard_port.h"

namespace kolva::tools {

// SIGINT and SIGTERM as the recorder's S key: the handlers only raise a
// flag, which the run's stop-key test reads through the keyboard port, so a
// signal ends a run exactly where the S key would.
void InstallStopSignals();
bool StopRequested();
// Raises the flag as a signal would (for the signal handler and tests).
void RequestStop();

// The keyboard data port of a program without a keyboard: the S key's scan
// code once a stop was requested, else nothing pressed.
class SignalStopKey : public platform::KeyboardPort {
 public:
  std::uint8_t ReadScanCode() override;
};

}  // namespace kolva::tools
