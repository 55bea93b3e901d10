// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/run/results_chart.h"

namespace kolva::app {

// Records what a run does to the chart window, in order.
class FakeResultsChart : public ResultsChart {
 public:
  struct Point {
    int series;
    long double x;
    float y;
    std::uint32_t color;
  };

  std::vector<std::string> calls;  // "Show", "ClearPoints 0", "AddPoint 1", ...
  std::vector<Point> points;
  std::string shownFor;   // the results file name the last Show gave
  bool fedByRun = false;  // as the last SetFedByRun left it
  // Runs after each call is noted.
  std::function<void(const std::string& call)> onCall;

  void Show(const std::string& resultsFileName) override {
    shownFor = resultsFileName;
    Note("Show");
  }
  void RestoreAxes() override { Note("RestoreAxes"); }
  void ClearPoints(int series) override { Note("ClearPoints " + std::to_string(series)); }
  void AddPoint(int series, long double x, float y, std::uint32_t color) override {
    points.push_back({series, x, y, color});
    Note("AddPoint " + std::to_string(series));
  }
  void SetFedByRun(bool fed) override { fedByRun = fed; }

 private:
  void Note(const std::string& call) {
    calls.push_back(call);
    if (onCall) onCall(call);
  }
};

}  // namespace kolva::app
