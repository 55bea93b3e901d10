// SPDX-License-Identifier: MIT
#include "chart/chart_pen.h"

namespace kolva::chart {

void TPen::Assign(const TPen& other) {
  bool same = color_ == other.color_ && mode_ == other.mode_ && style_ == other.style_ &&
              width_ == other.width_;
  if (same) return;
  color_ = other.color_;
  mode_ = other.mode_;
  style_ = other.style_;
  width_ = other.width_;
  OnChange.Fire();
}

void TChartPen::Assign(const TChartPen& other) {
  TPen::Assign(other);
  SetVisible(other.visible_);
}

}  // namespace kolva::chart
