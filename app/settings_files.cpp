// SPDX-License-Identifier: MIT
#include "app/settings_files.h"

#include <algorithm>

#include "app/card.h"
#include "app/checked_math.h"
#include "app/text_file.h"
#include "app/textconv.h"

namespace kolva::app {
namespace {

// The flag lines hold exactly "true" or "false"; anything but the exact,
// case-sensitive "true" reads as false.
bool IsTrue(const std::string& line) {
  return line == "true";
}

const char* FlagText(bool flag) {
  return flag ? "true" : "false";
}

int ClampedOffset(const std::string& line) {
  return std::clamp<long long>(ParseInt(line), kOffsetMin, kOffsetMax);
}

}  // namespace

std::uint16_t ReadBarFile(const std::string& path) {
  TextFile file;
  file.Assign(path);
  file.Reset();
  const auto base = static_cast<std::uint16_t>(ParseInt(file.ReadLine()));
  file.Close();
  return base;
}

void ReadKonfigFile(const std::string& path, KonfigControls& controls,
                    const std::function<void(std::uint32_t)>& writeRangeWord) {
  TextFile file;
  file.Assign(path);
  file.Reset();
  controls.SetOffset1(ClampedOffset(file.ReadLine()));
  controls.SetOffset2(ClampedOffset(file.ReadLine()));
  controls.SetIntervalText(file.ReadLine());
  controls.SetLengthText(file.ReadLine());
  const bool high = IsTrue(file.ReadLine());
  controls.SetHighRange(high);
  writeRangeWord(high ? Card::kRangeHigh : Card::kRangeLow);
  controls.SetTriggerOnHigh(IsTrue(file.ReadLine()));
  controls.SetTriggerEnabled(IsTrue(file.ReadLine()));
  controls.SetChartResults(IsTrue(file.ReadLine()));
  file.Close();
}

void ReadKorekcjeFile(const std::string& path, Corrections& corrections) {
  TextFile file;
  file.Assign(path);
  file.Reset();
  // The zero corrections keep the low 16 bits: a file value of -1 is 65535.
  corrections.ZeroCorrection1 = static_cast<std::uint16_t>(ParseInt(file.ReadLine()));
  corrections.ZeroCorrection2 = static_cast<std::uint16_t>(ParseInt(file.ReadLine()));
  corrections.Gain2Low = StoreSingle(ParseFloat(file.ReadLine()));
  corrections.Gain2High = StoreSingle(ParseFloat(file.ReadLine()));
  corrections.ScaleLow = StoreSingle(ParseFloat(file.ReadLine()));
  corrections.ScaleHigh = StoreSingle(ParseFloat(file.ReadLine()));
  file.Close();
}

void WriteKonfigFile(const std::string& path, const KonfigControls& controls) {
  TextFile file;
  file.Assign(path);
  file.Rewrite(TextFile::Commit::kByRename);
  file.WriteLine(IntText(controls.Offset1()));
  file.WriteLine(IntText(controls.Offset2()));
  file.WriteLine(controls.IntervalText());
  file.WriteLine(controls.LengthText());
  file.WriteLine(FlagText(controls.HighRange()));
  file.WriteLine(FlagText(controls.TriggerOnHigh()));
  file.WriteLine(FlagText(controls.TriggerEnabled()));
  file.WriteLine(FlagText(controls.ChartResults()));
  file.Close();
}

}  // namespace kolva::app
