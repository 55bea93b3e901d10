// SPDX-License-Identifier: MIT
#include "tools/stop_signal.h"

#include <signal.h>

#include <atomic>

namespace kolva::tools {
namespace {

// Lock-free, so the signal handler may set it.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void OnStopSignal(int) {
  stopRequested.store(true, std::memory_order_relaxed);
}

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // a write or wait in progress goes on
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  // A terminal that goes away ends the run as Ctrl+C does; under nohup the
  // hang-up stays ignored.
  struct sigaction hangUp {};
  if (sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler != SIG_IGN) {
    sigaction(SIGHUP, &action, nullptr);
  }
}

void IgnoreBrokenPipes() {
  struct sigaction action {};
  action.sa_handler = SIG_IGN;
  sigemptyset(&action.sa_mask);
  sigaction(SIGPIPE, &action, nullptr);
}

bool StopRequested() {
  return stopRequested.load(std::memory_order_relaxed);
}

void RequestStop() {
  stopRequested.store(true, std::memory_order_relaxed);
}

std::uint8_t SignalStopKey::ReadScanCode() {
  return StopRequested() ? KeyboardPort::kScanCodeS : 0;
}

}  // namespace kolva::tools
