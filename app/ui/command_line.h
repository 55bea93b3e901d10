// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace kolva::ui {

// What kolva's arguments ask for. The program takes at most one argument,
// a results file to show in the chart window once the main window is up;
// "--" before it lets a file name begin with "-".
struct CommandLine {
  enum class Action {
    kRun,    // the window, with `resultsFile` when it is not empty
    kUsage,  // --help or -h: the usage on stdout, status 0
    kFail,   // `message` on stderr, status 2
  };
  Action action = Action::kRun;
  std::string resultsFile;
  std::string message;
};

inline constexpr const char* kUsageText =
    "Usage: kolva [RESULTS-FILE]\n"
    "Opens the main window on the card that KOLVA_CARD chooses; a results file\n"
    "given is shown in the chart window.\n";

// `arguments` are the program's arguments without its name, as bytes.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

}  // namespace kolva::ui
