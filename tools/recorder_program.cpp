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

#include "app/run/card.h"
#include "app/run/run_summary.h"
#include "app/run/sampler.h"
#include "app/text/errors.h"
#include "app/text/textconv.h"
#include "app/ui/error_box.h"
#include "platform/clock.h"
#include "platform/locale_settings.h"
#include "platform/port_bus.h"
#include "platform/standard_descriptors.h"
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

// What a missing settings file's message adds: how to make the file.
std::string MissingFileHint(const std::string& file) {
  if (file == "bar.txt") {
    return "bar.txt holds the card's base address: run probecard in this folder "
           "(KOLVA_CARD=sim probecard for the simulated card)";
  }
  return file +
         " is missing: kolva-start makes ~/kolva with a default konfig.txt and korekcje.txt, "
         "or write them here with the printf lines of the README's \"Recording from the shell\"";
}

// A chart that stopped taking points has the readings before that point.
void SayIfChartFull(const ChartPng& png, const char* rest) {
  if (png.Full()) {
    Say(kProgram +
        std::string("the chart's temporary files filled their disk: the picture holds "
                    "only the readings up to that point") +
        rest);
  }
}

void SayPictureFailure(const std::string& file, const std::string& why) {
  SayFailure(file, "The picture could not be written (" + why + ")");
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
  if (const std::string why = png.Save(*options.png, options.width, options.height); !why.empty()) {
    SayPictureFailure(*options.png, why);
    return kExitFailure;
  }
  SayIfChartFull(png, "");
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
    if (error.what() == app::IoError::MessageFor(2) && !error.File().empty()) {
      Say(kProgram + MissingFileHint(error.File()));
    }
    return kExitFailure;
  } catch (const std::exception& error) {  // the card's ports refused
    SayFailure("", error.what());
    return kExitFailure;
  }
  panel.SetResultsFileName(ResultsPath(options.output));
  InstallStopSignals();
  // The sampler's note on its scheduling, in the recorder's name; --quiet
  // leaves errors only.
  if (options.quiet) {
    app::SetRealtimeNote({});
  } else {
    app::SetRealtimeNote([](const std::string& why) {
      Say(kProgram + std::string("the sampler runs without real-time scheduling (") + why +
          "); see the README to allow it");
    });
  }
  // The chart exists before the run, as the window does: its set-up is not
  // the run's time.
  std::unique_ptr<ChartPng> png;
  if (options.png) png = std::make_unique<ChartPng>();
  panel.SetCharted(png != nullptr);
  std::optional<ProgressMeter> meter;
  ProgressObserver progress;
  TriggerWaitObserver waiting;
  const int triggerLevel = panel.TriggerOnHigh() ? 1 : 0;
  if (!options.quiet && ::isatty(STDERR_FILENO)) {
    meter.emplace(STDERR_FILENO, app::ParseFloat(panel.LengthText()) * 60000.0L);
    progress = [&meter](std::uint64_t n, std::uint32_t ms) { meter->Update(n, ms); };
    waiting = [&meter, triggerLevel](std::uint32_t ms) { meter->Waiting(triggerLevel, ms); };
  }
  const RecordingEnd end =
      RunRecording({card, *bus, clock, stopKey, panel, png ? &png->Chart() : nullptr, progress,
                    waiting, StopRequested});
  if (meter) meter->Clear();
  if (end.error) return ReportRunFailure(end.error, options.output);
  if (!options.quiet) {
    Say(kProgram + app::RunSummaryLine(end.timing) +
        (end.triggerNeverCame ? TriggerNeverCameNote(triggerLevel) : ""));
  }
  if (png) {
    if (const std::string why = png->Save(*options.png, options.width, options.height);
        !why.empty()) {
      SayPictureFailure(*options.png, why);
      return kExitFailure;
    }
    SayIfChartFull(*png, "; the results file is complete");
  }
  return kExitDone;
}

}  // namespace

int RecorderMain(const std::vector<std::string_view>& args) {
  const bool outputClosed = platform::OpenClosedStandardDescriptors();
  IgnoreBrokenPipes();
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
    if (options.from) return DrawResultsFile(options);
    if (options.output == "-" && outputClosed) {
      Say(kProgram + std::string("-: standard output is closed; name a results file instead"));
      return kExitFailure;
    }
    return Record(options);
  } catch (const UsageError& error) {
    Say(kProgram + std::string(error.what()));
    Say(kProgram + std::string("Try 'kolva-record --help' for more information."));
    return kExitUsage;
  }
}

}  // namespace kolva::tools
