// SPDX-License-Identifier: MIT
#pragma once

namespace kolva::platform {

// Puts /dev/null on each of descriptors 0-2 that is closed, so that no file
// the program opens (nor the toolkit's own descriptors) takes its number and
// is then written as standard output or error. Call first thing in main.
// Answers whether standard output was closed.
bool OpenClosedStandardDescriptors();

}  // namespace kolva::platform
