// SPDX-License-Identifier: MIT
#include "app/ui/results_chart_adapter.h"

#include "wykres/form2.h"

namespace kolva::ui {

void ResultsChartAdapter::Show(const std::string& resultsFileName) {
  form_.SetResultsFileName(QString::fromStdString(resultsFileName));
  if (form_.isVisible()) {
    form_.raise();
  } else {
    form_.show();
  }
}

void ResultsChartAdapter::RestoreAxes() {
  chart::TChartZoom& zoom = form_.Chart1().Zooming();
  if (zoom.AxesSaved() || zoom.Zoomed()) zoom.UndoZoom();
}

void ResultsChartAdapter::ClearPoints(int series) {
  Series(series).ClearPoints();
}

void ResultsChartAdapter::AddPoint(int series, long double x, float y, std::uint32_t color) {
  Series(series).AddPoint(static_cast<double>(x), static_cast<double>(y), {},
                          static_cast<chart::TColor>(color));
}

void ResultsChartAdapter::SetFedByRun(bool fed) {
  form_.SetFedByRun(fed);
}

chart::TChartSeries& ResultsChartAdapter::Series(int index) {
  return *form_.Chart1().Series(index);
}

}  // namespace kolva::ui
