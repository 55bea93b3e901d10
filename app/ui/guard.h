// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace kolva::ui {

// Shows one error text (already given its display form) and returns when
// the operator has dismissed it. The application's presenter is the real
// error box; tests put a recorder in its place.
using ErrorPresenter = std::function<void(const std::string& text)>;

// The message shown for a failure that is not a std::exception.
inline constexpr std::string_view kUnknownErrorText = "Unknown error";

// Shows the errors that leave event handlers, one box at a time.
//
// A box runs a nested event loop, so timers keep ticking while it is open
// and a lasting fault (a refused port raises every 500 ms) reports again
// and again. While a box is open:
//   - an error whose text is the one showing, or one already waiting, is
//     dropped and counted;
//   - an error with a new text waits and is shown after the open box is
//     dismissed, in arrival order; at most kMaxWaiting texts wait, further
//     new ones are dropped and counted.
// Once the last box is dismissed the next error is shown again, even with
// the same text: a fault that lasts brings one box after another, never a
// pile of them.
class ErrorReporter {
 public:
  static constexpr std::size_t kMaxWaiting = 3;

  explicit ErrorReporter(ErrorPresenter presenter) : presenter_(std::move(presenter)) {}

  // Shows the message (in display form) or handles it by the rules above.
  // Never raises; a presenter that raises loses only its own box.
  void Report(std::string_view message) noexcept;

  void SetPresenter(ErrorPresenter presenter) { presenter_ = std::move(presenter); }
  int DroppedCount() const { return dropped_; }
  bool IsShowing() const { return showing_; }

 private:
  void Queue(std::string_view message) noexcept;
  void Present(const std::string& text) noexcept;
  bool IsShownOrWaiting(const std::string& text) const;

  ErrorPresenter presenter_;
  bool showing_ = false;
  std::string current_;
  std::deque<std::string> waiting_;
  int dropped_ = 0;
};

// The application's reporter; its presenter is ShowErrorBox until set.
ErrorReporter& ApplicationErrors();

// Reports a caught failure to ApplicationErrors(): a std::exception by its
// message, anything else (or no failure at all) as kUnknownErrorText. For
// hosts that catch in their own event handlers and pass the failure on,
// such as the chart widget's error handler.
void ReportError(std::exception_ptr error) noexcept;

// Runs an event handler so that nothing it raises crosses a Qt frame:
// whatever escapes is reported to ApplicationErrors(), a std::exception by
// its message, anything else as kUnknownErrorText. Answers true when the
// handler finished without an error (a close handler keeps the window open
// otherwise).
bool Guarded(const std::function<void()>& handler) noexcept;

// Wraps a slot so that it runs under Guarded, for QObject::connect:
//   connect(timer, &QTimer::timeout, GuardedSlot([this] { Timer1Timer(); }));
template <class Handler>
auto GuardedSlot(Handler handler) {
  return [handler = std::move(handler)](auto&&... args) {
    Guarded([&] { handler(std::forward<decltype(args)>(args)...); });
  };
}

}  // namespace kolva::ui
