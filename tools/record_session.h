// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "tools/run_summary.h"

namespace kolva::app {
class Card;
class ResultsChart;
}  // namespace kolva::app

namespace kolva::platform {
class Clock;
}

namespace kolva::tools {

class RecorderPanel;
struct RecordOptions;

// A failure while setting up, with the file it concerns ("" for the card).
class SetupError : public std::runtime_error {
 public:
  SetupError(std::string file, const std::string& message)
      : std::runtime_error(message), file_(std::move(file)) {}
  const std::string& File() const { return file_; }

 private:
  std::string file_;
};

// The message kolva's caption gives when no card answers.
inline constexpr const char* kNoCardMessage = "No KOLVA card found";

// kolva's start-up without the window and without the probe: bar.txt into
// the card's base address, konfig.txt into `panel` (its range word written to
// the card), korekcje.txt into the card's corrections, all from `folder` ("" or
// a path ending in "/"); then the options override the panel (a changed range
// is written to the card as the range buttons do) and the card must answer.
// Raises SetupError carrying the failing file and the error's own text.
void PrepareCard(app::Card& card, RecorderPanel& panel, const RecordOptions& options,
                 const std::string& folder = "");

// Told after each reading: readings so far and the milliseconds since
// sampling began.
using ReadingObserver = std::function<void(std::uint64_t readings, std::uint32_t elapsedMs)>;

// One acquisition run exactly as ACQUISITION START makes it, into the panel's
// results file, plotted on `chart` when given (may be null). `observer` (may
// be empty) runs on the sampling thread after each reading and must be
// brief. Raises the run's errors; returns how the run kept its schedule.
TimingFigures RunRecording(app::Card& card, platform::Clock& clock, RecorderPanel& panel,
                           app::ResultsChart* chart, const ReadingObserver& observer);

}  // namespace kolva::tools
