// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "app/run/control_state.h"

namespace kolva::app {

// The operator's panel as plain public fields, with the stored layout's
// defaults; records what a run writes back.
class FakeControls : public ControlState {
 public:
  int averagingCount = 1;
  int offset1 = 0;
  int offset2 = 0;
  bool lowRange = true;
  bool rawCounts = false;
  bool triggerEnabled = false;
  bool triggerOnHigh = false;
  bool triggerOnLow = true;
  std::string intervalText = "1";
  std::string lengthText = "1";
  std::string resultsFileName = "results.txt";
  bool chartResults = false;

  bool liveReadout = false;
  std::string runButtonCaption;
  bool runButtonEnabled = true;
  int progress = 0;
  int progressWrites = 0;

  int AveragingCount() const override { return averagingCount; }
  int Offset1() const override { return offset1; }
  int Offset2() const override { return offset2; }
  bool LowRange() const override { return lowRange; }
  bool RawCounts() const override { return rawCounts; }
  bool TriggerEnabled() const override { return triggerEnabled; }
  bool TriggerOnHigh() const override { return triggerOnHigh; }
  bool TriggerOnLow() const override { return triggerOnLow; }
  std::string IntervalText() const override { return intervalText; }
  std::string LengthText() const override { return lengthText; }
  std::string ResultsFileName() const override { return resultsFileName; }
  bool ChartResults() const override { return chartResults; }

  void SetLiveReadout(bool on) override { liveReadout = on; }
  void SetRunButton(const std::string& caption, bool enabled) override {
    runButtonCaption = caption;
    runButtonEnabled = enabled;
  }
  void SetProgress(int position) override {
    progress = position;
    ++progressWrites;
  }
};

}  // namespace kolva::app
