// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/text/textconv.h"
#include "chart/custom_chart.h"
#include "recording_canvas.h"

namespace kolva::chart::testing {

// A chart on a recording canvas whose host counts repaint requests; the
// test plays the message loop by calling Turn().
class ChartFixture : public ::testing::Test {
 protected:
  ChartFixture() {
    auto owned = std::make_unique<RecordingCanvas>();
    canvas = owned.get();
    chart = std::make_unique<TChart>(std::move(owned));
    chart->SetValueFormatter(app::FloatPatternText);
    chart->SetRepaintRequest([this] { ++requests; });
  }

  // One turn of the message loop: paints when a repaint was requested.
  void Turn() {
    if (chart->RepaintPending()) {
      ++paints;
      chart->Paint();
    }
  }

  // The chart window's panel: 477 x 310 with a sunken edge and border 1,
  // which leaves a client area of 471 x 304.
  void UseWindowPanel() {
    chart->SetBounds(0, 0, 477, 310);
    chart->SetBorderStyle(bsSingle);
    chart->SetBorderWidth(1);
    chart->SetBevelOuter(bvLowered);
    chart->SetBevelWidth(4);
    chart->SetColor(clTeal);
    chart->SetView3D(false);
  }

  RecordingCanvas* canvas = nullptr;
  std::unique_ptr<TChart> chart;
  int requests = 0;
  int paints = 0;
};

}  // namespace kolva::chart::testing
