// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <utility>

namespace kolva::chart {

// The change notification of a pen, brush, font or option set. Copying the
// value it belongs to never copies the listener: a copy is a plain value.
class TNotifyLink {
 public:
  TNotifyLink() = default;
  TNotifyLink(const TNotifyLink&) {}
  TNotifyLink& operator=(const TNotifyLink&) { return *this; }

  void Set(std::function<void()> listener) { listener_ = std::move(listener); }
  void Fire() const {
    if (listener_) listener_();
  }

 private:
  std::function<void()> listener_;
};

}  // namespace kolva::chart
