// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace kolva::app {

// The offsets' scroll-bar range.
inline constexpr int kOffsetMin = -200;
inline constexpr int kOffsetMax = 200;

// The panel controls konfig.txt holds, one line each. Setting a control
// behaves as the operator's change would: its change handler runs (so
// SetIntervalText raises the conversion error of a text that does not
// convert, when the text differs from the current one) and checking a range
// button that was not checked runs its click handler.
class KonfigControls {
 public:
  virtual ~KonfigControls() = default;

  virtual int Offset1() const = 0;               // zeroa.Position
  virtual int Offset2() const = 0;               // zerob.Position
  virtual std::string IntervalText() const = 0;  // Edit2.Text
  virtual std::string LengthText() const = 0;    // Edit3.Text
  virtual bool HighRange() const = 0;            // RadioButton6 checked
  virtual bool TriggerOnHigh() const = 0;        // RadioButton2 checked
  virtual bool TriggerEnabled() const = 0;       // CheckBox2 checked
  virtual bool ChartResults() const = 0;         // CheckBox1 checked

  virtual void SetOffset1(int position) = 0;  // already in kOffsetMin..kOffsetMax
  virtual void SetOffset2(int position) = 0;
  virtual void SetIntervalText(const std::string& text) = 0;
  virtual void SetLengthText(const std::string& text) = 0;
  virtual void SetHighRange(bool high) = 0;        // RadioButton6, else zakres_lo
  virtual void SetTriggerOnHigh(bool onHigh) = 0;  // RadioButton2, else RadioButton1
  virtual void SetTriggerEnabled(bool enabled) = 0;
  virtual void SetChartResults(bool show) = 0;
};

// The most bytes a settings line may hold: the longest text an edit field
// takes, so any text the panel saves reads back. A longer line is refused
// with the conversion error of its number, quoting its start (a flag line
// that long simply is not "true"); it is never used shortened.
inline constexpr std::size_t kSettingsLineLimit = 32767;

// The card's calibration values from korekcje.txt.
struct Corrections {
  std::uint16_t ZeroCorrection1 = 0;
  std::uint16_t ZeroCorrection2 = 0;
  float Gain2Low = 0;
  float Gain2High = 0;
  float ScaleLow = 0;
  float ScaleHigh = 0;
};

// Each reader binds one text file to `path`, opens it, reads one line per
// value and closes it; every step raises IoError on failure and a line that
// does not convert raises ConvertError. Values are applied as their lines are
// read, so a failure keeps those applied before it.

// bar.txt: the card's base address, the low 16 bits of line 1 (decimal, or
// hexadecimal with "$", "x" or "0x").
std::uint16_t ReadBarFile(const std::string& path);

// Receives the one note a settings reader may give per file, without the
// program's name: that numbers were written with the other decimal separator.
using SettingsNote = std::function<void(const std::string&)>;

// konfig.txt: eight lines applied in turn to `controls`. Line 5 selects the
// range and then hands it to `selectRange` (true for the high range), which
// writes the card's range word.
// The numbers of konfig.txt and korekcje.txt (lines 3 and 4; lines 3 to 6)
// are read in the locale's form: one that does not convert as it stands but
// does with the locale's decimal separator in place of the other one ('.'
// or ',') is taken so, set in that form, and noted once through `note`.
void ReadKonfigFile(const std::string& path, KonfigControls& controls,
                    const std::function<void(bool high)>& selectRange,
                    const SettingsNote& note = {});

// korekcje.txt: six lines into `corrections`, field by field.
void ReadKorekcjeFile(const std::string& path, Corrections& corrections,
                      const SettingsNote& note = {});

// Writes the eight lines of konfig.txt from `controls`. The new contents go
// to a temporary file beside `path` that replaces it only when all of it was
// written, so a failure leaves the old file whole.
void WriteKonfigFile(const std::string& path, const KonfigControls& controls);

}  // namespace kolva::app
