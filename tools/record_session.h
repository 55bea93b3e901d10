// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

#include "app/run/sampler.h"

namespace kolva::app {
class Card;
class ResultsChart;
}  // namespace kolva::app

namespace kolva::platform {
class Clock;
class KeyboardPort;
class PortBus;
}  // namespace kolva::platform

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
// is written to the card as the range buttons do), the length must convert
// and the card must answer. Raises SetupError carrying the failing file and
// the error's own text.
void PrepareCard(app::Card& card, RecorderPanel& panel, const RecordOptions& options,
                 const std::string& folder = "");

// Told on the calling thread while the run samples: readings so far and the
// milliseconds since sampling began, about every kPollMs.
using ProgressObserver = std::function<void(std::uint64_t readings, std::uint32_t elapsedMs)>;

// What a recording ended with.
struct RecordingEnd {
  app::RunTiming timing;
  std::exception_ptr error;  // null after a normal end
  // Stopped while waiting for the trigger, before any reading.
  bool triggerNeverCame = false;
};

// Told on the calling thread while the run waits for the trigger: the
// milliseconds waited so far, about every kPollMs.
using TriggerWaitObserver = std::function<void(std::uint32_t waitedMs)>;

// What a recording works with, all borrowed for its length.
struct RecordingParts {
  app::Card& card;  // calibrated, its base address set
  platform::PortBus& bus;
  platform::Clock& clock;
  platform::KeyboardPort& stopKey;      // the S key's stand-in
  const RecorderPanel& panel;           // the run's settings, taken once
  app::ResultsChart* chart;             // may be null: nothing is plotted
  ProgressObserver progress;            // may be empty
  TriggerWaitObserver waiting;          // may be empty
  std::function<bool()> stopRequested;  // may be empty
};

// One acquisition run on the sampler's own thread, as ACQUISITION START
// makes it, into the panel's results file. This thread meanwhile plots the
// readings on the chart as the window does (shown, both series emptied, one
// point per reading and input), reports the trigger wait (when the panel
// enables the trigger) and then progress, and passes a stop request on; it
// returns when the run has ended.
RecordingEnd RunRecording(const RecordingParts& parts);

inline constexpr std::uint32_t kPollMs = 50;

}  // namespace kolva::tools
