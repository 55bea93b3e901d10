// SPDX-License-Identifier: MIT
#include "app/ui/command_line.h"

namespace kolva::ui {
namespace {

CommandLine Fail(const std::string& reason) {
  return {CommandLine::Action::kFail, {}, "kolva: " + reason + "\nUsage: kolva [RESULTS-FILE]\n"};
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  std::vector<std::string> files;
  bool options = true;
  for (const std::string& argument : arguments) {
    if (options && argument == "--") {
      options = false;
    } else if (options && (argument == "--help" || argument == "-h")) {
      return {CommandLine::Action::kUsage, {}, {}};
    } else if (options && argument.size() > 1 && argument.front() == '-') {
      return Fail("unknown option '" + argument + "'");
    } else {
      files.push_back(argument);
    }
  }
  if (files.size() > 1)
    return Fail("one results file at most, " + std::to_string(files.size()) + " given");
  if (files.empty()) return {};
  if (files.front().empty()) return Fail("the results file name is empty");
  return {CommandLine::Action::kRun, files.front(), {}};
}

}  // namespace kolva::ui
