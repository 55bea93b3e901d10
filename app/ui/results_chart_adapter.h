// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

#include "app/run/results_chart.h"

namespace kolva::chart {
class TChartSeries;
}

namespace kolva::wykres {
class TForm2;
}

namespace kolva::ui {

// The chart window TForm2 as the acquisition run's results chart: series 0
// and 1 are the first two of Chart1's series list (Series1 and Series2).
// The form is borrowed and must outlive the adapter.
class ResultsChartAdapter : public app::ResultsChart {
 public:
  explicit ResultsChartAdapter(wykres::TForm2& form) : form_(form) {}

  // Shows the window and brings it to the front; its saved picture is
  // named after the results file.
  void Show(const std::string& resultsFileName) override;
  // Undoes the chart's zoom or pan, if any, as the operator's unzoom does.
  void RestoreAxes() override;
  void ClearPoints(int series) override;
  // The point goes into the series' value lists as doubles, with no label.
  void AddPoint(int series, long double x, float y, std::uint32_t color) override;
  // The window refuses to open a results file while a run feeds it.
  void SetFedByRun(bool fed) override;

 private:
  chart::TChartSeries& Series(int index);

  wykres::TForm2& form_;
};

}  // namespace kolva::ui
