// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

namespace kolva::app {

// The chart window as an acquisition run uses it, on the GUI thread: shown at
// the start of a charted run, its axes returned to how they were before any
// zoom or pan, its two series (0 for input 1, 1 for input 2, in the order of
// the chart's series list) emptied, then one point per reading appended to
// each. Adding a point only marks the chart stale; it repaints when the GUI
// thread's event loop next paints. The Qt chart window implements it; tests
// record calls.
class ResultsChart {
 public:
  static constexpr std::uint32_t kInput1Color = 255;       // red, 0x00BBGGRR
  static constexpr std::uint32_t kInput2Color = 0xFFFFFF;  // white

  virtual ~ResultsChart() = default;
  // Shows the window for a run into the results file named (the file
  // system's bytes), which names the window's saved picture.
  virtual void Show(const std::string& resultsFileName) = 0;
  // Undoes a zoom or pan still in force; nothing when there is none.
  virtual void RestoreAxes() = 0;
  virtual void ClearPoints(int series) = 0;
  // Appends (x, y) with an empty label, drawn in `color`.
  virtual void AddPoint(int series, long double x, float y, std::uint32_t color) = 0;
  // True from the click of a charted run until that run has ended: the
  // window then draws that run alone, and a results file is not opened in it.
  virtual void SetFedByRun(bool fed) = 0;
};

}  // namespace kolva::app
