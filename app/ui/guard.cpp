// SPDX-License-Identifier: MIT
#include "app/ui/guard.h"

#include <algorithm>
#include <exception>

#include "app/ui/error_box.h"

namespace kolva::ui {

void ErrorReporter::Report(std::string_view message) noexcept {
  if (showing_) {
    Queue(message);
    return;
  }
  showing_ = true;
  try {
    current_ = DisplayText(message);
    for (;;) {
      Present(current_);
      if (waiting_.empty()) break;
      current_ = std::move(waiting_.front());
      waiting_.pop_front();
    }
  } catch (...) {
    // Out of memory for a text: what is left is lost, the program goes on.
  }
  waiting_.clear();
  current_.clear();
  showing_ = false;
}

void ErrorReporter::Queue(std::string_view message) noexcept {
  try {
    std::string text = DisplayText(message);
    if (IsShownOrWaiting(text) || waiting_.size() >= kMaxWaiting) {
      ++dropped_;
    } else {
      waiting_.push_back(std::move(text));
    }
  } catch (...) {
    ++dropped_;
  }
}

void ErrorReporter::Present(const std::string& text) noexcept {
  try {
    const ErrorPresenter presenter = presenter_;  // a box may replace it
    if (presenter) presenter(text);
  } catch (...) {
    // The box itself failed; nothing is left to show it with.
  }
}

bool ErrorReporter::IsShownOrWaiting(const std::string& text) const {
  return text == current_ || std::find(waiting_.begin(), waiting_.end(), text) != waiting_.end();
}

ErrorReporter& ApplicationErrors() {
  static ErrorReporter reporter(ShowErrorBox);
  return reporter;
}

void ReportError(std::exception_ptr error) noexcept {
  try {
    if (error) std::rethrow_exception(error);
    ApplicationErrors().Report(kUnknownErrorText);
  } catch (const std::exception& failure) {
    ApplicationErrors().Report(failure.what());
  } catch (...) {
    ApplicationErrors().Report(kUnknownErrorText);
  }
}

bool Guarded(const std::function<void()>& handler) noexcept {
  try {
    handler();
    return true;
  } catch (...) {
    ReportError(std::current_exception());
  }
  return false;
}

}  // namespace kolva::ui
