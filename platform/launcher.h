// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace kolva::platform {

// Where `name` would be started from: the running program's own folder
// first, then each folder of PATH. Empty when no executable file is found.
std::string FindProgram(std::string_view name);

// Starts `name` (found as FindProgram finds it) without waiting for it and
// without leaving a zombie: an intermediate child starts it and is reaped at
// once. Returns false when the program was not found or could not be forked;
// callers that must ignore failure simply ignore the result.
bool LaunchProgram(std::string_view name);

}  // namespace kolva::platform
