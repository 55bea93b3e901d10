// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "platform/keyboard_port.h"

namespace kolva::tools {

// SIGINT, SIGTERM and SIGHUP as the recorder's S key: the handlers only
// raise a flag, which the run's stop-key test reads through the keyboard
// port, so a signal ends a run exactly where the S key would. A SIGHUP that
// was ignored at start (nohup) stays ignored.
void InstallStopSignals();
// A reader that goes away makes the next write fail with EPIPE, which the
// results file reports as its I/O error, instead of killing the process.
void IgnoreBrokenPipes();
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
