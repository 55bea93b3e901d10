// SPDX-License-Identifier: MIT
// kolva-record: a recording from the shell, without windows, on the card that
// KOLVA_CARD chooses. See UsageText() and kolva-record.1.
#include <string_view>
#include <vector>

#include "tools/recorder_program.h"

int main(int argc, char* argv[]) {
  const std::vector<std::string_view> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  return kolva::tools::RecorderMain(args);
}
