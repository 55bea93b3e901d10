// SPDX-License-Identifier: MIT
// kolva-record's documented limits, each end taken and the first value past
// it refused, through the program's own parser.
#include "tools/record_options.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kolva::tools {
namespace {

struct LimitCase {
  std::vector<std::string_view> args;
  std::function<bool(const RecordOptions&)> holds;  // null: the line is refused
  const char* what;
};

void PrintTo(const LimitCase& c, std::ostream* os) {
  *os << c.what;
}

class RecordLimitsTest : public ::testing::TestWithParam<LimitCase> {};

TEST_P(RecordLimitsTest, EndsAreTakenAndTheNextValueOutIsRefused) {
  std::vector<std::string_view> args = GetParam().args;
  args.push_back("out.txt");
  if (!GetParam().holds) {
    EXPECT_THROW(ParseRecordOptions(args), UsageError);
    return;
  }
  try {
    const RecordOptions options = ParseRecordOptions(args);
    EXPECT_TRUE(GetParam().holds(options));
  } catch (const UsageError& error) {
    FAIL() << "refused at its limit: " << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, RecordLimitsTest,
    ::testing::Values(
        LimitCase{{"--length", "0"}, [](auto& o) { return o.length == "0"; }, "length 0"},
        LimitCase{{"--length", "-1e-9"}, nullptr, "length below 0"},
        LimitCase{{"--average", "1"}, [](auto& o) { return o.average == 1; }, "average 1"},
        LimitCase{{"--average", "100"}, [](auto& o) { return o.average == 100; }, "average 100"},
        LimitCase{{"--average", "0"}, nullptr, "average 0"},
        LimitCase{{"--average", "101"}, nullptr, "average 101"},
        LimitCase{{"--offset1", "-200"}, [](auto& o) { return o.offset1 == -200; }, "offset1 -200"},
        LimitCase{{"--offset1", "200"}, [](auto& o) { return o.offset1 == 200; }, "offset1 200"},
        LimitCase{{"--offset1", "-201"}, nullptr, "offset1 -201"},
        LimitCase{{"--offset1", "201"}, nullptr, "offset1 201"},
        LimitCase{{"--offset2", "-200"}, [](auto& o) { return o.offset2 == -200; }, "offset2 -200"},
        LimitCase{{"--offset2", "200"}, [](auto& o) { return o.offset2 == 200; }, "offset2 200"},
        LimitCase{{"--offset2", "-201"}, nullptr, "offset2 -201"},
        LimitCase{{"--offset2", "201"}, nullptr, "offset2 201"},
        LimitCase{{"--png", "p.png", "--size", "16384x1"},
                  [](auto& o) { return o.width == 16384 && o.height == 1; },
                  "size 16384x1"},
        LimitCase{{"--png", "p.png", "--size", "1x16384"},
                  [](auto& o) { return o.width == 1 && o.height == 16384; },
                  "size 1x16384"},
        LimitCase{{"--png", "p.png", "--size", "16385x1"}, nullptr, "width 16385"},
        LimitCase{{"--png", "p.png", "--size", "1x0"}, nullptr, "height 0"}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& c : name) {
        if (c == ' ' || c == '-') c = '_';
      }
      return name;
    });

}  // namespace
}  // namespace kolva::tools
