// SPDX-License-Identifier: MIT
// Writes a results file of LINES readings as the acquisition run writes
// them (bench/results_text.h), for the runs that time a long file.
// Usage: results_file_tool LINES FILE
#include <cstdio>
#include <string>

#include "results_text.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: results_file_tool LINES FILE\n", stderr);
    return 2;
  }
  std::size_t lines = 0;
  for (const char* digit = argv[1]; *digit != '\0'; ++digit) {
    if (*digit < '0' || *digit > '9') {
      std::fputs("results_file_tool: LINES is a count of readings\n", stderr);
      return 2;
    }
    lines = lines * 10 + static_cast<std::size_t>(*digit - '0');
  }
  if (!kolva::bench::WriteResultsFile(argv[2], lines)) {
    std::fputs(("results_file_tool: " + std::string(argv[2]) + " could not be written\n").c_str(),
               stderr);
    return 1;
  }
  return 0;
}
