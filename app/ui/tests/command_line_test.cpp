// SPDX-License-Identifier: MIT
#include "app/ui/command_line.h"

#include <gtest/gtest.h>

namespace kolva::ui {
namespace {

using Action = CommandLine::Action;

struct LineCase {
  std::vector<std::string> arguments;
  Action action;
  std::string file;     // for kRun
  std::string message;  // for kFail, its first line
};

class CommandLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(CommandLineTest, Parses) {
  const LineCase& c = GetParam();
  const CommandLine line = ParseCommandLine(c.arguments);
  EXPECT_EQ(line.action, c.action);
  EXPECT_EQ(line.resultsFile, c.file);
  if (c.action == Action::kFail) {
    EXPECT_EQ(line.message, c.message + "\nUsage: kolva [RESULTS-FILE]\n");
  } else {
    EXPECT_EQ(line.message, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CommandLineTest,
    ::testing::Values(
        LineCase{{}, Action::kRun, "", ""},
        LineCase{{"results.txt"}, Action::kRun, "results.txt", ""},
        LineCase{{"/tmp/pomiar \xc5\x82\xc4\x85ka.txt"},
                 Action::kRun,
                 "/tmp/pomiar \xc5\x82\xc4\x85ka.txt",
                 ""},
        LineCase{{"--", "-odd.txt"}, Action::kRun, "-odd.txt", ""},
        LineCase{{"-"}, Action::kRun, "-", ""}, LineCase{{"--"}, Action::kRun, "", ""},
        LineCase{{"--help"}, Action::kUsage, "", ""},
        LineCase{{"a.txt", "-h"}, Action::kUsage, "", ""},
        LineCase{{"--", "--help"}, Action::kRun, "--help", ""},
        LineCase{{"-x"}, Action::kFail, "", "kolva: unknown option '-x'"},
        LineCase{{"a.txt", "--geometry"}, Action::kFail, "", "kolva: unknown option '--geometry'"},
        LineCase{{"a.txt", "b.txt"}, Action::kFail, "", "kolva: one results file at most, 2 given"},
        LineCase{{"a.txt", "--", "b.txt"},
                 Action::kFail,
                 "",
                 "kolva: one results file at most, 2 given"},
        LineCase{{""}, Action::kFail, "", "kolva: the results file name is empty"}));

}  // namespace
}  // namespace kolva::ui
