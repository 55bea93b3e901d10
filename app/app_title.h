// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>

namespace kolva::app {

// The application's title, the caption of every error box: the program
// file's name without its folder and extension (from the last "."), with
// every character after the first in lower case. Only ASCII letters are
// lowered, so a UTF-8 file name stays valid.
std::string ApplicationTitle(std::string_view programPath);

}  // namespace kolva::app
