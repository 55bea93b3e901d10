// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "app/run/card.h"
#include "app/run/control_state.h"
#include "app/run/results_chart.h"
#include "app/run/sampler.h"

namespace kolva::app {

// The counter ticks between two readings for an interval in seconds:
// Trunc(interval * 1193180), the rate a single-precision constant, the product
// extended. A product outside the 64-bit range raises MathError.
std::int64_t SamplePeriodFor(long double intervalSeconds);

// "ACQUISITION  START" and everything the GUI thread does for the run that
// follows; the run itself goes on the sampler's thread (see RunAcquisition).
//
// Button3Click checks the interval and length texts, shows and empties the
// chart when results are charted, sets "ZAPISUJE" and starts the sampler; it
// returns at once. From then on the GUI thread calls Update once a frame: it
// takes the readings that have arrived, adds each to both chart series in
// order (when the run is charted), moves the progress bar and the button's
// caption as the run moves, and once the run has ended sets the end-of-run
// state. Every panel change is passed on by PanelChanged and applies from the
// run's next reading, with two exceptions: whether the run is charted is
// decided at the click (the check box applies to the next run), and an
// interval or length text that does not convert (one being typed) is not
// passed on: the run keeps the last text that did.
//
// Failures raise the unit's errors. An invalid interval or length fails in
// Button3Click before anything but the live readout has changed. A failure
// on the sampler ends the run where it happened: the results file is closed
// (keeping every line that reached the disk), and Update sets the button back
// to "ACQUISITION START", enabled, leaves the progress bar where the run
// stopped and raises the failure for the handler's guard to show.
class AcquisitionRun {
 public:
  // Counter ticks per second the schedule assumes; a single-precision value.
  static constexpr float kScheduleTicksPerSecond = 1193180.0f;
  static constexpr const char* kWritingCaption = "ZAPISUJE";
  static constexpr const char* kWaitingCaption = "WAITING FOR TRIGGER";
  static constexpr const char* kRunningCaption = "RUNNING";
  static constexpr const char* kIdleCaption = "ACQUISITION START";  // one blank
  // The time between two Update calls the window makes: fewer than 60 a
  // second, so the chart repaints at most 60 times a second.
  static constexpr int kFrameMs = 17;

  // Everything is borrowed and must outlive the run. `chart` may be null:
  // the chart steps are then skipped. The card is the GUI's: it is not used
  // while a run lasts, and its readings follow the run's.
  AcquisitionRun(Card& card, Sampler& sampler, ControlState& controls, ResultsChart* chart);

  // The click; does nothing while a run is in progress.
  void Button3Click();
  // True from a click that started a run until Update has set its end state.
  bool Active() const { return active_; }
  // The panel changed: the run takes its new values from its next reading.
  void PanelChanged();
  // Once a frame while Active; see the class comment.
  void Update();
  // Ends the run as the S key does, waits for the sampler, and sets the
  // end-of-run state as Update does (raising the run's failure, if any).
  void EndNow();
  // The trigger input's level as the run last read it; -1 when not read.
  int TriggerLevel() const { return sampler_.TriggerLevel(); }

  // Readings taken from the sampler since the click.
  std::uint64_t ReadingsTaken() const { return readingsTaken_; }
  // The last run's timing report, once it has ended.
  const RunTiming& Timing() const { return sampler_.Timing(); }
  // Called with the timing report at the end of every run, failed or not,
  // once the sampler has finished and before the run's failure is raised.
  void SetEndReport(std::function<void(const RunTiming&)> report) {
    endReport_ = std::move(report);
  }

 private:
  static void CheckInterval(const std::string& text);
  static void CheckLength(const std::string& text);
  static bool Converts(void (*check)(const std::string&), const std::string& text);
  void PrepareChart(const std::string& resultsFileName);
  void ShowStages();
  void TakeReadings();
  void Complete();

  Card& card_;
  Sampler& sampler_;
  ControlState& controls_;
  ResultsChart* chart_;
  bool active_ = false;
  // The settings last given to the run in progress.
  RunSettings published_;
  RunStage stageShown_ = RunStage::kWriting;
  std::uint64_t readingsTaken_ = 0;
  std::function<void(const RunTiming&)> endReport_;
};

}  // namespace kolva::app
