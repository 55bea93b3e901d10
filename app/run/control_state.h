// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace kolva::app {

// What the core reads of the operator's panel, and what a run writes back.
// The Qt main window implements it over its widgets; tests and a headless
// recorder implement it with plain values. Texts are 8-bit, as typed, but for
// the results file name, which is the file system's bytes (UTF-8 here).
class ControlState {
 public:
  virtual ~ControlState() = default;

  // Read by the card code.
  virtual int AveragingCount() const = 0;   // il_sred.Position, 1..100
  virtual int Offset1() const = 0;          // zeroa.Position, -200..200
  virtual int Offset2() const = 0;          // zerob.Position, -200..200
  virtual bool LowRange() const = 0;        // zakres_lo checked (else HIGH)
  virtual bool RawCounts() const = 0;       // bity checked
  virtual bool TriggerEnabled() const = 0;  // CheckBox2 checked
  virtual bool TriggerOnHigh() const = 0;   // RadioButton2 checked
  virtual bool TriggerOnLow() const = 0;    // RadioButton1 checked

  // Read by the acquisition run, again at every use.
  virtual std::string IntervalText() const = 0;     // Edit2.Text, seconds
  virtual std::string LengthText() const = 0;       // Edit3.Text, minutes
  virtual std::string ResultsFileName() const = 0;  // Edit4.Text
  virtual bool ChartResults() const = 0;            // CheckBox1 checked

  // Written back by the acquisition run.
  virtual void SetLiveReadout(bool on) = 0;                                 // Timer1.Enabled
  virtual void SetRunButton(const std::string& caption, bool enabled) = 0;  // Button3
  virtual void SetProgress(int position) = 0;                               // got.Position, 0..255
};

}  // namespace kolva::app
