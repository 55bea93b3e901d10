// SPDX-License-Identifier: MIT
#include "chart/axis_title.h"

#include "chart/chart_errors.h"

namespace kolva::chart {

int CheckedAxisAngle(int value, const char* what) {
  if (value < 0 || value > 360) {
    throw ChartException(std::string(what) + " Angle must be between 0 and 359 degrees");
  }
  return value == 360 ? 0 : value;
}

TChartAxisTitle::TChartAxisTitle(int angle) : angle_(angle), font_(DefaultChartFont()) {
  font_.OnChange.Set([this] { OnChange.Fire(); });
}

void TChartAxisTitle::SetAngle(int value) {
  const int stored = CheckedAxisAngle(value, "Axis Title");
  if (stored == angle_) return;
  angle_ = stored;
  OnChange.Fire();
}

void TChartAxisTitle::SetCaption(const std::string& value) {
  if (value == caption_) return;
  caption_ = value;
  OnChange.Fire();
}

}  // namespace kolva::chart
