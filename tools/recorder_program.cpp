// SPDX-License-Identifier: MIT
#include "tools/recorder_program.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/card.h"
#include "app/errors.h"
#include "app/textconv.h"
#include "app/ui/error_box.h"
#include "platform/clock.h"
#include "platform/locale_settings.h"
#include "platform/port_bus.h"
#include "tools/chart_png.h"
#include "tools/progress_meter.h"
#include "tools/record_options.h"
#include "tools/record_session.h"
#include "tools/recorder_panel.h"
#include "tools/run_summary.h"
#include "tools/stop_signal.h"

namespace kolva::tools {
namespace {

constexpr const char* kProgram = "kolva-record: ";

void Say(const std::string& line) {
  std::fputs((line + "\n").c_str(), stderr);
}

// "kolva-record: FILE: message." with the error box's closing full stop.
void SayFailure(const std::string& file, const std::string& message) {
  Say(kProgram + (file.empty() ? "" : file + ": ") + ui::DisplayText(message));
}

// The results file's name for the run: "-" is the standard output, reached
// through its descriptor's name. Reopening truncates, so an output opened
// for appending is refused rather than emptied.
std::string ResultsPath(const std::string& output) {
  if (output != "-") return output;
  const int flags = ::fcntl(STDOUT_FILENO, F_GETFL);
  struct stat info {};
  if (flags >= 0 && (flags & O_APPEND) != 0 && ::fstat(STDOUT_FILENO, &info) == 0 &&
      S_ISREG(info.st_mode)) {
    throw UsageError("-: standard output is a file opened for appending; name the file instead");
  }
  return "/dev/stdout";
}

// The run's failure as the error box would show it; a failing results file
// is named.
int ReportRunFailure(const std::exception_ptr& error, const std::string& output) {
  try {
    std::rethrow_exception(error);
  } catch (const app::IoError& failure) {
    SayFailure(output, failure.what());
  } catch (const std::exception& failure) {
    SayFailure("", failure.what());
  }
  return kExitFailure;
}

// --from: the chart window's picture of a results file's readings (x the
// time column), as the window shows a file it opens. A line that does not
// read ends the readings: the picture shows those before it, the message
// names the line and the exit status says it failed.
int DrawResultsFile(const RecordOptions& options) {
  ChartPng png;
  std::string failure;
  try {
    failure = png.ShowResultsFile(*options.from);
  } catch (const app::IoError& error) {
    SayFailure(*options.from, error.what());
    return kExitFailure;
  } catch (const app::Error& error) {
    SayFailure("", error.what());
    return kExitFailure;
  }
  if (!png.Save(*options.png, options.width, options.height)) {
    SayFailure(*options.png, "The picture could not be written");
    return kExitFailure;
  }
  if (!failure.empty()) {
    SayFailure("", failure);
    return kExitFailure;
  }
  return kExitDone;
}

int Record(const RecordOptions& options) {
  platform::SystemClock clock;
  std::unique_ptr<platform::PortBus> bus;
  try {
    bus = platform::MakePortBusFromEnvironment(clock);
  } catch (const std::invalid_argument& bad) {
    Say(kProgram + std::string(bad.what()));
    return kExitUsage;
  }
  SignalStopKey stopKey;
  RecorderPanel panel;
  app::Card card(*bus, clock, stopKey, panel);
  try {
    PrepareCard(card, panel, options);
  } catch (const SetupError& error) {
    SayFailure(error.File(), error.what());
    return kExitFailure;
  } catch (const std::exception& error) {  // the card's ports refused
    SayFailure("", error.what());
    return kExitFailure;
  }
  panel.SetResultsFileName(ResultsPath(options.output));
  InstallStopSignals();
  // The chart exists before the run, as the window does: its set-up is not
  // the run's time.
  std::unique_ptr<ChartPng> png;
  if (options.png) png = std::make_unique<ChartPng>();
  panel.SetCharted(png != nullptr);
  std::optional<ProgressMeter> meter;
  ProgressObserver progress;
  if (!options.quiet && ::isatty(STDERR_FILENO)) {
    meter.emplace(STDERR_FILENO, app::ParseFloat(panel.LengthText()) * 60000.0L);
    progress = [&meter](std::uint64_t n, std::uint32_t ms) { meter->Update(n, ms); };
  }
  const RecordingEnd end = RunRecording(
      {card, *bus, clock, stopKey, panel, png ? &png->Chart() : nullptr, progress, StopRequested});
  if (meter) meter->Clear();
  if (end.error) return ReportRunFailure(end.error, options.output);
  if (!options.quiet) Say(SummaryLine(end.timing));
  if (png && !png->Save(*options.png, options.width, options.height)) {
    SayFailure(*options.png, "The picture could not be written");
    return kExitFailure;
  }
  return kExitDone;
}

}  // namespace

int RecorderMain(const std::vector<std::string_view>& args) {
  platform::SetCurrentLocale(platform::ReadUserLocale());
  RecordOptions options;
  try {
    options = ParseRecordOptions(args);
    if (options.help) {
      std::fputs(UsageText().c_str(), stdout);
      return kExitDone;
    }
    if (options.version) {
      std::fputs("kolva-record (Kolva) " KOLVA_VERSION "\n", stdout);
      return kExitDone;
    }
    return options.from ? DrawResultsFile(options) : Record(options);
  } catch (const UsageError& error) {
    Say(kProgram + std::string(error.what()));
    Say("Try 'kolva-record --help' for more information.");
    return kExitUsage;
  }
}

}  // namespace kolva::tools
