// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/card.h"
#include "app/control_state.h"
#include "app/results_chart.h"
#include "app/text_file.h"
#include "app/wall_clock.h"
#include "platform/clock.h"

namespace kolva::app {

// Handles every queued window message and returns: the GUI's message-pump
// step, a no-op (or nothing) without windows.
using MessagePump = std::function<void()>;

// The counter ticks between two readings for an interval in seconds:
// Trunc(interval * 1193180), the rate a single-precision constant, the product
// extended. A product outside the 64-bit range raises MathError.
std::int64_t SamplePeriodFor(long double intervalSeconds);

// One click on "ACQUISITION  START": a timed measurement into the results
// file named by the panel, optionally plotted on the results chart as it is
// taken. Everything runs on the caller's thread and returns when the run
// ends: after the length set in minutes has passed by the millisecond tick
// count, or when the S key is seen after a pass.
//
// The panel's texts are read again at every use: the interval for the
// period, each point's x and each line's time column; the length on every
// pass. The message pump runs once per reading, only when results are
// charted, between the reading's chart points and its line, so anything the
// operator changes there applies to the line that follows.
//
// Failures raise the unit's errors. An invalid interval fails before
// anything but the live readout has changed. Any later failure ends the run
// where it happened: the results file is closed (keeping every line that
// reached the disk), the button is back to "ACQUISITION START" and enabled,
// the progress bar stays where the run stopped, and the error is raised
// again for the handler's guard to show.
//
// The results file is written through its buffer, not line by line, but it
// is flushed once the header is written and then at least once a second of
// the run, so a program that dies loses no more than the last second.
class AcquisitionRun {
 public:
  // Counter ticks per second the schedule assumes; a single-precision value.
  static constexpr float kScheduleTicksPerSecond = 1193180.0f;
  static constexpr std::uint32_t kFlushIntervalMs = 1000;
  static constexpr const char* kWritingCaption = "ZAPISUJE";
  static constexpr const char* kWaitingCaption = "WAITING FOR TRIGGER";
  static constexpr const char* kRunningCaption = "RUNNING";
  static constexpr const char* kIdleCaption = "ACQUISITION START";  // one blank

  // Everything is borrowed and must outlive the run. `chart` may be null:
  // the chart steps are then skipped. `pump` may be empty.
  AcquisitionRun(Card& card, platform::Clock& clock, ControlState& controls, ResultsChart* chart,
                 MessagePump pump, WallClock wallClock);

  // The whole run; see the class comment.
  void Button3Click();

  // The run state, reset at the start of each run; it stays for inspection.
  std::uint32_t SampleNumber = 0;  // number of the next reading
  std::int64_t SamplePeriod = 0;   // counter ticks between readings
  std::int64_t NextDeadline = 0;   // counter value of the last deadline
  std::uint32_t RunStartTick = 0;  // tick count when sampling began

 private:
  void PrepareChart();
  void WriteHeader();
  void Sample();
  void TakeReading();
  std::string DataLine() const;
  long double Interval() const;
  long double LengthLimitMs() const;
  bool StopKeyDown();
  void EndAfterFailure();

  Card& card_;
  platform::Clock& clock_;
  ControlState& controls_;
  ResultsChart* chart_;
  MessagePump pump_;
  WallClock wallClock_;
  TextFile resultsFile_;
  bool buttonTaken_ = false;
};

}  // namespace kolva::app
