// SPDX-License-Identifier: MIT
#pragma once

#include <csignal>
#include <functional>
#include <memory>

class QSocketNotifier;

namespace kolva::ui {

// SIGTERM, SIGINT and SIGHUP end the program the way a close of its main
// window does, instead of killing it.
//
// The handlers only write the signal's number to a pipe; the event loop
// reads the pipe and runs the close under the one guard. From construction
// the three signals no longer kill the program: what arrives before Listen
// waits in the pipe and is handled once the event loop runs with Listen
// called (so a signal during start-up closes a window that exists and is
// shown, never one still being created).
//
// Signals that arrive while the close runs (it may wait for a run's end or
// show an error box, whose own event loop reads the pipe too) are read and
// dropped: the close in progress already ends the program, and a second
// close must not start inside the first. So are all signals once a close
// has been accepted. After a close that was abandoned (konfig.txt could not
// be written; its error box has been shown) the next signal closes again.
//
// One route at a time: the handlers are the process's. The destructor closes
// the pipe and puts back the dispositions the constructor found, unless a
// close was accepted: the program is then ending, and the three signals
// stay ignored until it has.
class CloseOnSignal {
 public:
  // The signals routed, in the order the handlers are installed.
  static constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

  // Installs the handlers. Raises std::system_error when the pipe or a
  // handler cannot be set up, or when another route exists.
  CloseOnSignal();
  ~CloseOnSignal();
  CloseOnSignal(const CloseOnSignal&) = delete;
  CloseOnSignal& operator=(const CloseOnSignal&) = delete;

  // From the next pass of the event loop on, signals run `close` as
  // described above; `close` answers whether it was accepted (the program
  // ends). Call once.
  void Listen(std::function<bool()> close);

 private:
  void ReadPipe() noexcept;

  std::function<bool()> close_;
  std::unique_ptr<QSocketNotifier> notifier_;
  bool closing_ = false;
  bool closed_ = false;
};

}  // namespace kolva::ui
