// SPDX-License-Identifier: MIT
#include "app/ui/close_on_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <iterator>
#include <system_error>
#include <utility>

#include "app/ui/guard.h"

namespace kolva::ui {
namespace {

constexpr int kSignalCount = static_cast<int>(std::size(CloseOnSignal::kSignals));

// The pipe's write end, read by the handler: lock-free, so the handler may
// load it. -1 while no route exists.
std::atomic<int> writeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free);
int readFd = -1;
struct sigaction earlier[kSignalCount];

extern "C" void OnCloseSignal(int number) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(number);
  // A full pipe already holds signals enough to close: this one may go.
  [[maybe_unused]] const ssize_t written = ::write(writeFd.load(), &byte, 1);
  errno = saved;
}

[[noreturn]] void RaiseSystemError(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

void ClosePipe() {
  const int fd = writeFd.exchange(-1);
  if (fd >= 0) ::close(fd);
  if (readFd >= 0) ::close(readFd);
  readFd = -1;
}

void RestoreHandlers(int installed) {
  for (int i = 0; i < installed; ++i) ::sigaction(CloseOnSignal::kSignals[i], &earlier[i], nullptr);
}

}  // namespace

CloseOnSignal::CloseOnSignal() {
  if (writeFd.load() >= 0) {
    throw std::system_error(std::make_error_code(std::errc::device_or_resource_busy),
                            "signal route");
  }
  // Both ends close on exec (the probe program gets neither) and never block:
  // a handler must not wait, and the reader stops at an empty pipe.
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) RaiseSystemError("signal pipe");
  readFd = fds[0];
  writeFd.store(fds[1]);
  struct sigaction action {};
  action.sa_handler = OnCloseSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // a write or wait in progress goes on
  for (int i = 0; i < kSignalCount; ++i) {
    if (::sigaction(kSignals[i], &action, &earlier[i]) != 0) {
      const int error = errno;
      RestoreHandlers(i);
      ClosePipe();
      errno = error;
      RaiseSystemError("signal handler");
    }
  }
}

CloseOnSignal::~CloseOnSignal() {
  notifier_.reset();
  if (closed_) {
    // The program is ending: a late signal must not kill it half-way
    // through its teardown and turn its status into the signal's.
    for (int number : kSignals) ::signal(number, SIG_IGN);
  } else {
    RestoreHandlers(kSignalCount);
  }
  ClosePipe();
}

void CloseOnSignal::Listen(std::function<bool()> close) {
  close_ = std::move(close);
  notifier_ = std::make_unique<QSocketNotifier>(readFd, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                   [this] { ReadPipe(); });
}

void CloseOnSignal::ReadPipe() noexcept {
  unsigned char bytes[64];
  bool signalled = false;
  for (;;) {
    const ssize_t got = ::read(readFd, bytes, sizeof bytes);
    if (got > 0) {
      signalled = true;
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else {
      break;  // empty (EAGAIN); the write end stays open while the route lasts
    }
  }
  // A close in progress (this call then comes from an event loop it runs,
  // such as its error box's) or one accepted already ends the program.
  if (!signalled || closing_ || closed_) return;
  // The close is an event handler like any other: nothing it raises leaves
  // the guard, and a close that raised was not accepted.
  closing_ = true;
  Guarded([this] { closed_ = close_(); });
  closing_ = false;
}

}  // namespace kolva::ui
