// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>
#include <vector>

namespace kolva::tools {

// Exit statuses of kolva-record.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailure = 1;  // a file, the card or the run failed
inline constexpr int kExitUsage = 2;    // a bad command line or KOLVA_CARD

// The whole of kolva-record for the arguments after the program's name:
// messages on stderr, the results on the named file or stdout. Answers the
// exit status.
int RecorderMain(const std::vector<std::string_view>& args);

}  // namespace kolva::tools
