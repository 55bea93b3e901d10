// SPDX-License-Identifier: MIT
#pragma once

#include <gtest/gtest.h>

#include "chart/chart_mouse.h"
#include "chart/line_series.h"
#include "chart_fixture_fake.h"

namespace kolva::chart::testing {

// The chart window's panel, title and foot with two line series of 40 points each (x 0 ..
// 39, channel 1 a ramp, channel 2 its mirror), painted once, so the
// mouse handling has a layout to work on. Drags are given in client
// coordinates relative to ChartRect's top-left corner.
class ZoomFixture : public ChartFixture {
 protected:
  ZoomFixture() {
    UseWindowPanel();
    chart->Title().SetText({"Press mouse left button, draw down to zoom"});
    chart->Foot().SetText({"RED  -  INPUT 1"});
    series1.SetParentChart(chart.get());
    series2.SetParentChart(chart.get());
    for (int i = 0; i < kPoints; ++i) AddReading(i);
    Turn();
  }

  void AddReading(int i) {
    series1.AddPoint(i, 10.0 * i, "", clRed);
    series2.AddPoint(i, -5.0 * i, "", clWhite);
  }

  TChartMouse& Mouse() { return chart->Mouse(); }
  int X(int dx) const { return chart->ChartRect.Left + dx; }
  int Y(int dy) const { return chart->ChartRect.Top + dy; }

  // Press at (x0, y0), one move to (x1, y1), release there.
  void Drag(TMouseButton button, int x0, int y0, int x1, int y1) {
    Mouse().MouseDown(button, 0, x0, y0);
    Mouse().MouseMove(0, x1, y1);
    Mouse().MouseUp(button, 0, x1, y1);
  }

  // A left drag by (dx, dy) from a point well inside the plot.
  void LeftDragBy(int dx, int dy) { Drag(mbLeft, X(150), Y(100), X(150 + dx), Y(100 + dy)); }

  static constexpr int kPoints = 40;
  TLineSeries series1{"Series1"};
  TLineSeries series2{"Series2"};
};

}  // namespace kolva::chart::testing
