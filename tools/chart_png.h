// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <string>

namespace kolva::app {
class ResultsChart;
}

namespace kolva::tools {

// The chart window of a run without a display: the Qt application on the
// "offscreen" platform (chosen here, before Qt starts, so no X server is
// needed or used), the chart window TForm2 and the results chart a run plots
// on, as kolva's window does. One per process.
class ChartPng {
 public:
  ChartPng();
  ~ChartPng();
  ChartPng(const ChartPng&) = delete;
  ChartPng& operator=(const ChartPng&) = delete;

  app::ResultsChart& Chart();
  // Shows the results file at `path` as the chart window shows a file it
  // opens, and returns once it has loaded: "" when every line read, else the
  // message naming the line that ended the readings. Raises the window's
  // error when the file does not open or is not a results file.
  std::string ShowResultsFile(const std::string& path);
  // Writes the chart window's picture at width x height as PNG, whole or
  // not at all (wykres::SavePictureFile); "" once written, else the system's
  // reason.
  std::string Save(const std::string& path, int width, int height);
  // True once the chart's temporary files filled their disk: the picture
  // then holds only the readings up to that point.
  bool Full() const;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace kolva::tools
