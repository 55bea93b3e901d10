// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "app/files/settings_files.h"
#include "app/run/control_state.h"
#include "tools/record_options.h"

namespace kolva::tools {

// The operator's panel as plain values for a run without windows: konfig.txt
// fills it as it fills the main window's controls, the command line's options
// then override it. Starts with the main window's layout defaults. Nothing is
// charted unless a picture is asked for; what a run writes back (button,
// progress, live readout) has nowhere to go and is dropped.
class RecorderPanel : public app::ControlState, public app::KonfigControls {
 public:
  // Applies the options that were given; unset ones keep the panel's values.
  void Override(const RecordOptions& options);

  int AveragingCount() const override { return averagingCount_; }
  int Offset1() const override { return offset1_; }
  int Offset2() const override { return offset2_; }
  bool LowRange() const override { return !highRange_; }
  bool HighRange() const override { return highRange_; }
  bool RawCounts() const override { return rawCounts_; }
  bool TriggerEnabled() const override { return triggerEnabled_; }
  bool TriggerOnHigh() const override { return triggerOnHigh_; }
  bool TriggerOnLow() const override { return !triggerOnHigh_; }
  std::string IntervalText() const override { return intervalText_; }
  std::string LengthText() const override { return lengthText_; }
  std::string ResultsFileName() const override { return resultsFileName_; }
  bool ChartResults() const override { return chartResults_; }

  void SetOffset1(int position) override { offset1_ = position; }
  void SetOffset2(int position) override { offset2_ = position; }
  // As the interval field's change handler: a new text must convert.
  void SetIntervalText(const std::string& text) override;
  void SetLengthText(const std::string& text) override { lengthText_ = text; }
  void SetHighRange(bool high) override { highRange_ = high; }
  void SetTriggerOnHigh(bool onHigh) override { triggerOnHigh_ = onHigh; }
  void SetTriggerEnabled(bool enabled) override { triggerEnabled_ = enabled; }
  // konfig.txt's "show results" box: the recorder charts only for a picture.
  void SetChartResults(bool) override {}

  void SetResultsFileName(const std::string& name) { resultsFileName_ = name; }
  void SetCharted(bool charted) { chartResults_ = charted; }

  void SetLiveReadout(bool) override {}
  void SetRunButton(const std::string&, bool) override {}
  void SetProgress(int) override {}

 private:
  int averagingCount_ = 20;
  int offset1_ = 0;
  int offset2_ = 0;
  bool highRange_ = true;
  bool rawCounts_ = false;
  bool triggerEnabled_ = true;
  bool triggerOnHigh_ = true;
  std::string intervalText_ = "0,001";
  std::string lengthText_ = "0,1";
  std::string resultsFileName_ = "results.txt";
  bool chartResults_ = false;
};

}  // namespace kolva::tools
