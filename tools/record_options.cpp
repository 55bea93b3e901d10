// SPDX-License-Identifier: MIT
#include "tools/record_options.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <map>

#include "app/files/settings_files.h"
#include "app/run/acquisition_run.h"
#include "app/text/errors.h"
#include "app/text/textconv.h"

namespace kolva::tools {
namespace {

constexpr int kMaxPictureSide = 16384;

[[noreturn]] void Bad(std::string_view option, const std::string& why) {
  throw UsageError(std::string(option) + ": " + why);
}

long double Seconds(std::string_view option, const std::string& text) {
  long double value = 0;
  try {
    value = app::ParseFloat(text);
  } catch (const app::ConvertError& error) {
    Bad(option, error.what());
  }
  if (!std::isfinite(value)) Bad(option, "'" + text + "' is not a finite number");
  return value;
}

int IntegerIn(std::string_view option, const std::string& text, int low, int high) {
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || ptr != end || value < low || value > high) {
    Bad(option, "'" + text + "' is not a whole number from " + std::to_string(low) + " to " +
                    std::to_string(high));
  }
  return value;
}

void SetSize(RecordOptions& options, const std::string& text) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) Bad("--size", "'" + text + "' is not WIDTHxHEIGHT, e.g. 477x310");
  options.width = IntegerIn("--size", text.substr(0, x), 1, kMaxPictureSide);
  options.height = IntegerIn("--size", text.substr(x + 1), 1, kMaxPictureSide);
}

using Setter = std::function<void(RecordOptions&, const std::string&)>;

// The options that take a value, each with what it does with it.
const std::map<std::string_view, Setter>& ValueOptions() {
  static const std::map<std::string_view, Setter> options = {
      {"--interval",
       [](RecordOptions& o, const std::string& v) {
         const long double seconds = Seconds("--interval", v);
         if (!(seconds > 0)) Bad("--interval", "'" + v + "' is not more than 0");
         const std::string problem = IntervalProblem(seconds);
         if (!problem.empty()) Bad("--interval", "'" + v + "' " + problem);
         o.interval = v;
       }},
      {"--length",
       [](RecordOptions& o, const std::string& v) {
         const long double minutes = Seconds("--length", v);
         if (minutes < 0) Bad("--length", "'" + v + "' is less than 0");
         const std::string problem = LengthProblem(minutes);
         if (!problem.empty()) Bad("--length", "'" + v + "' " + problem);
         o.length = v;
       }},
      {"--average", [](RecordOptions& o,
                       const std::string& v) { o.average = IntegerIn("--average", v, 1, 100); }},
      {"--range",
       [](RecordOptions& o, const std::string& v) {
         if (v != "low" && v != "high") Bad("--range", "'" + v + "' is neither low nor high");
         o.highRange = v == "high";
       }},
      {"--trigger",
       [](RecordOptions& o, const std::string& v) {
         if (v == "off")
           o.trigger = TriggerChoice::kOff;
         else if (v == "0")
           o.trigger = TriggerChoice::kLevel0;
         else if (v == "1")
           o.trigger = TriggerChoice::kLevel1;
         else
           Bad("--trigger", "'" + v + "' is not off, 0 or 1");
       }},
      {"--offset1",
       [](RecordOptions& o, const std::string& v) {
         o.offset1 = IntegerIn("--offset1", v, app::kOffsetMin, app::kOffsetMax);
       }},
      {"--offset2",
       [](RecordOptions& o, const std::string& v) {
         o.offset2 = IntegerIn("--offset2", v, app::kOffsetMin, app::kOffsetMax);
       }},
      {"--png",
       [](RecordOptions& o, const std::string& v) {
         if (v.empty()) Bad("--png", "the file name is empty");
         o.png = v;
       }},
      {"--size", SetSize},
      {"--from",
       [](RecordOptions& o, const std::string& v) {
         if (v.empty()) Bad("--from", "the file name is empty");
         o.from = v;
       }},
  };
  return options;
}

bool SetFlag(RecordOptions& options, std::string_view name) {
  if (name == "--raw")
    options.raw = true;
  else if (name == "--quiet" || name == "-q")
    options.quiet = true;
  else if (name == "--help" || name == "-h")
    options.help = true;
  else if (name == "--version")
    options.version = true;
  else
    return false;
  return true;
}

void CheckCombination(const RecordOptions& options, bool sizeGiven, int files) {
  if (options.help || options.version) return;
  if (files > 1) throw UsageError("more than one results file named");
  if (options.from) {
    if (!options.png) throw UsageError("--from: needs --png FILE");
    if (files != 0) throw UsageError("--from: draws a picture only; name no results file");
    return;
  }
  if (sizeGiven && !options.png) throw UsageError("--size: needs --png FILE");
  if (files == 0) throw UsageError("no results file named (FILE, or - for standard output)");
  if (options.png && *options.png == "-") throw UsageError("--png: the picture cannot go to -");
}

}  // namespace

std::string IntervalProblem(long double seconds) {
  try {
    app::SamplePeriodFor(seconds);
  } catch (const app::MathError&) {
    return "gives a sampling period the run cannot count (at most " +
           std::string(kLongestInterval) + " seconds)";
  }
  return "";
}

std::string LengthProblem(long double minutes) {
  // The run compares the length in milliseconds, as it computes it, with the
  // milliseconds elapsed in a 32-bit count: a length that is not below the
  // count's largest value would never end.
  const long double limitMs = minutes * 60.0L * 1000.0L;
  if (limitMs < static_cast<long double>(UINT32_MAX)) return "";
  return "gives a length the run cannot time (at most " + std::string(kLongestLength) + " minutes)";
}

RecordOptions ParseRecordOptions(const std::vector<std::string_view>& args) {
  RecordOptions options;
  bool sizeGiven = false;
  int files = 0;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
      options.output = std::string(arg);
      ++files;
      continue;
    }
    if (arg == "--") {
      optionsEnded = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    const auto found = ValueOptions().find(name);
    if (found == ValueOptions().end()) {
      if (equals == std::string_view::npos && SetFlag(options, name)) continue;
      throw UsageError(std::string(name) + ": unknown option (see --help)");
    }
    std::string value;
    if (equals != std::string_view::npos) {
      value = std::string(arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      value = std::string(args[++i]);
    } else {
      Bad(name, "needs a value");
    }
    found->second(options, value);
    sizeGiven = sizeGiven || name == "--size";
  }
  CheckCombination(options, sizeGiven, files);
  return options;
}

}  // namespace kolva::tools

namespace kolva::tools {

std::string UsageText() {
  return R"(Usage: kolva-record [OPTION]... FILE
       kolva-record --png PICTURE [--size WxH] --from RESULTS
Records both inputs of the card into the results FILE (- for standard output),
exactly as kolva's ACQUISITION START does, taking the panel's settings from
konfig.txt and the calibration from korekcje.txt in the working folder and the
card's base address from bar.txt. KOLVA_CARD=sim selects the simulated card.

Options override konfig.txt (numbers with the locale's decimal separator):
  --interval SECONDS   time between samples (more than 0)
  --length MINUTES     measurement length (0 or more)
  --average N          conversions averaged per reading, 1 to 100 (default 20)
  --range low|high     input range: LOW +-0.75 V or HIGH +-8 V
  --raw                converter counts without gain and scale
  --trigger off|0|1    start at once, or wait for trigger level 0 or 1
  --offset1 N          zero offset of input 1, -200 to 200
  --offset2 N          zero offset of input 2, -200 to 200
  --png PICTURE        also write the chart window's picture of the run (PNG)
  --size WxH           size of that picture (default 477x310)
  --from RESULTS       draw the picture of an existing results file, record nothing
  -q, --quiet          errors only on standard error
  -h, --help           show this text
      --version        show the version

SIGINT (Ctrl+C), SIGTERM and SIGHUP end a run as the S key does: every reading
taken is in the file, the file is closed and the summary printed.
Exit status: 0 done, 1 a file, card, run or picture failure (also a reader of -
gone), 2 a bad command line.
)";
}

}  // namespace kolva::tools
