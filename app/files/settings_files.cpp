// SPDX-License-Identifier: MIT
#include "app/files/settings_files.h"

#include <algorithm>
#include <exception>

#include "platform/locale_settings.h"

#include "app/files/text_file.h"
#include "app/text/checked_math.h"
#include "app/text/textconv.h"

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

// A line of a settings file, at most kSettingsLineLimit bytes of it; `cut`
// tells whether the line was longer.
struct Line {
  std::string text;
  bool cut = false;
};

Line ReadSettingsLine(TextFile& file) {
  Line line;
  line.text = file.ReadLine(kSettingsLineLimit, line.cut);
  return line;
}

std::int32_t IntOf(const Line& line) {
  if (line.cut) throw NotIntegerError(line.text, true);
  return ParseInt(line.text);
}

bool Converts(const std::string& text) {
  try {
    ParseFloat(text);
    return true;
  } catch (const ConvertError&) {
    return false;
  }
}

// A settings file written in a locale with the other decimal separator
// ('.' where this one writes ',', or the reverse) would otherwise stop every
// start here, and the next save would write the same text back. A number
// that does not convert as it stands but does with the locale's separator
// in place of the other one is taken in the locale's form; any other text
// stays as it is, to fail as before.
class SeparatorMend {
 public:
  SeparatorMend(std::string fileName, const SettingsNote& note)
      : fileName_(std::move(fileName)), note_(note) {}

  std::string InLocaleForm(const std::string& text) {
    if (Converts(text)) return text;
    const char own = platform::CurrentLocale().decimalSeparator;
    for (const char other : {'.', ','}) {
      if (other == own || text.find(other) == std::string::npos) continue;
      std::string mended = text;
      std::replace(mended.begin(), mended.end(), other, own);
      if (!Converts(mended)) continue;
      if (!noted_ && note_) {
        note_(fileName_ + ": numbers written with '" + other + "' are read as this locale's '" +
              own + "'");
      }
      noted_ = true;
      return mended;
    }
    return text;
  }

 private:
  std::string fileName_;
  const SettingsNote& note_;
  bool noted_ = false;
};

long double FloatOf(const Line& line, SeparatorMend& mend) {
  if (line.cut) throw NotFloatError(line.text, true);
  return ParseFloat(mend.InLocaleForm(line.text));
}

// A field's text: a longer line is refused with the conversion error of the
// number it stands for, rather than set shortened as if it were whole.
std::string FieldText(const Line& line, SeparatorMend& mend) {
  if (line.cut) throw NotFloatError(line.text, true);
  return mend.InLocaleForm(line.text);
}

int ClampedOffset(const Line& line) {
  return std::clamp<long long>(IntOf(line), kOffsetMin, kOffsetMax);
}

bool IsTrue(const Line& line) {
  return IsTrue(line.text);
}

}  // namespace

std::uint16_t ReadBarFile(const std::string& path) {
  TextFile file;
  file.Assign(path);
  file.Reset();
  const auto base = static_cast<std::uint16_t>(IntOf(ReadSettingsLine(file)));
  file.Close();
  return base;
}

void ReadKonfigFile(const std::string& path, KonfigControls& controls,
                    const std::function<void(bool high)>& selectRange, const SettingsNote& note) {
  SeparatorMend mend("konfig.txt", note);
  TextFile file;
  file.Assign(path);
  file.Reset();
  controls.SetOffset1(ClampedOffset(ReadSettingsLine(file)));
  controls.SetOffset2(ClampedOffset(ReadSettingsLine(file)));
  controls.SetIntervalText(FieldText(ReadSettingsLine(file), mend));
  controls.SetLengthText(FieldText(ReadSettingsLine(file), mend));
  const bool high = IsTrue(ReadSettingsLine(file));
  controls.SetHighRange(high);
  selectRange(high);
  controls.SetTriggerOnHigh(IsTrue(ReadSettingsLine(file)));
  controls.SetTriggerEnabled(IsTrue(ReadSettingsLine(file)));
  controls.SetChartResults(IsTrue(ReadSettingsLine(file)));
  file.Close();
}

void ReadKorekcjeFile(const std::string& path, Corrections& corrections, const SettingsNote& note) {
  SeparatorMend mend("korekcje.txt", note);
  TextFile file;
  file.Assign(path);
  file.Reset();
  // The zero corrections keep the low 16 bits: a file value of -1 is 65535.
  corrections.ZeroCorrection1 = static_cast<std::uint16_t>(IntOf(ReadSettingsLine(file)));
  corrections.ZeroCorrection2 = static_cast<std::uint16_t>(IntOf(ReadSettingsLine(file)));
  corrections.Gain2Low = StoreSingle(FloatOf(ReadSettingsLine(file), mend));
  corrections.Gain2High = StoreSingle(FloatOf(ReadSettingsLine(file), mend));
  corrections.ScaleLow = StoreSingle(FloatOf(ReadSettingsLine(file), mend));
  corrections.ScaleHigh = StoreSingle(FloatOf(ReadSettingsLine(file), mend));
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
