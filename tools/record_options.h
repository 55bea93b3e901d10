// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kolva::tools {

// The trigger as --trigger sets it: no wait, or wait for level 0 or 1.
enum class TriggerChoice { kOff, kLevel0, kLevel1 };

// What kolva-record's command line asks for. Every panel setting is optional:
// unset ones keep what konfig.txt (or the panel's layout) gives.
struct RecordOptions {
  std::optional<std::string> interval;  // seconds, the text as typed
  std::optional<std::string> length;    // minutes, the text as typed
  std::optional<int> average;           // 1..100
  std::optional<bool> highRange;
  bool raw = false;
  std::optional<TriggerChoice> trigger;
  std::optional<int> offset1;  // -200..200
  std::optional<int> offset2;
  bool quiet = false;
  std::optional<std::string> png;  // the chart picture's file
  int width = 477;                 // of the picture, pixels
  int height = 310;
  std::optional<std::string> from;  // draw this results file instead of recording
  std::string output;               // the results file; "-" is standard output
  bool help = false;
  bool version = false;
};

// A command line that cannot be obeyed; the message names the option.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parses the arguments after the program's name. "--name value" and
// "--name=value" are alike; "--" ends the options. Numbers use the locale's
// decimal separator, as the panel's edit fields do. Raises UsageError.
RecordOptions ParseRecordOptions(const std::vector<std::string_view>& args);

// The longest interval and length a run can time, as the man page gives
// them (rounded down). The run's period is the interval times 1193180 ticks
// truncated to a signed 64-bit count; the length is compared in
// milliseconds with a 32-bit tick difference.
inline constexpr const char* kLongestInterval = "7730075962432.135";
inline constexpr const char* kLongestLength = "71582.788";

// Why a run could not represent an interval of `seconds` or a length of
// `minutes` (taken as the run converts them), "" when it can. The reason
// follows the value's quoted text in a message.
std::string IntervalProblem(long double seconds);
std::string LengthProblem(long double minutes);

// The --help text.
std::string UsageText();

}  // namespace kolva::tools
