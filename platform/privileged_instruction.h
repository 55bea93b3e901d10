// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>

namespace kolva::platform {

// A port access the process may not make: the kernel refused the grant, or
// the port lies outside the granted card window. The text is the one the
// operator sees in the error box.
class PrivilegedInstruction : public std::runtime_error {
 public:
  PrivilegedInstruction() : std::runtime_error("Privileged instruction") {}
};

}  // namespace kolva::platform
