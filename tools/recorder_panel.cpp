// SPDX-License-Identifier: MIT
#include "tools/recorder_panel.h"

#include "app/text/textconv.h"

namespace kolva::tools {

void RecorderPanel::SetIntervalText(const std::string& text) {
  if (text == intervalText_) return;
  intervalText_ = text;
  app::ParseFloat(text);
}

void RecorderPanel::Override(const RecordOptions& options) {
  if (options.interval) intervalText_ = *options.interval;
  if (options.length) lengthText_ = *options.length;
  if (options.average) averagingCount_ = *options.average;
  if (options.highRange) highRange_ = *options.highRange;
  if (options.raw) rawCounts_ = true;
  if (options.trigger) {
    triggerEnabled_ = *options.trigger != TriggerChoice::kOff;
    if (triggerEnabled_) triggerOnHigh_ = *options.trigger == TriggerChoice::kLevel1;
  }
  if (options.offset1) offset1_ = *options.offset1;
  if (options.offset2) offset2_ = *options.offset2;
}

}  // namespace kolva::tools
