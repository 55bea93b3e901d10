// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "chart/chart_font.h"
#include "chart/notify_link.h"

namespace kolva::chart {

// The title of an axis: caption, angle in degrees and font. A change of any
// of them (font included) fires OnChange, which the axis wires to its
// chart's repaint request.
class TChartAxisTitle {
 public:
  explicit TChartAxisTitle(int angle = 0);
  TChartAxisTitle(const TChartAxisTitle&) = delete;
  TChartAxisTitle& operator=(const TChartAxisTitle&) = delete;

  int Angle() const { return angle_; }
  const std::string& Caption() const { return caption_; }
  TFont& Font() { return font_; }
  const TFont& Font() const { return font_; }

  // 0 to 360; 360 is stored as 0. Otherwise raises ChartException
  // "Axis Title Angle must be between 0 and 359 degrees".
  void SetAngle(int value);
  void SetCaption(const std::string& value);

  TNotifyLink OnChange;

 private:
  int angle_;
  std::string caption_;
  TFont font_;
};

// Checks an angle property (0 to 360, 360 meaning 0) and answers the value
// to store; `what` names the property in the message.
int CheckedAxisAngle(int value, const char* what);

}  // namespace kolva::chart
