// SPDX-License-Identifier: MIT
#pragma once

namespace kolva::chart {

// Every setter of the engine compares the new value with the one held and
// does nothing when they are equal. Stores a changed value and tells the
// caller, which then requests its repaint or fires its change event.
template <typename T>
bool StoreChanged(T& field, const T& value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace kolva::chart
