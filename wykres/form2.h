// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <memory>

#include "chart/line_series.h"
#include "chart/qt/chart_widget.h"

namespace kolva::wykres {

// The chart window "WYKRES": one chart, Chart1, filling the client area,
// with the acquisition's two line series, Series1 (channel 1) and Series2
// (channel 2), in that order. Created hidden; the acquisition run shows it.
class TForm2 : public QWidget {
  Q_OBJECT

 public:
  // Window position and size with its frame, and the client area Chart1
  // fills.
  static constexpr int kLeft = 142;
  static constexpr int kTop = 67;
  static constexpr int kWidth = 485;
  static constexpr int kHeight = 337;
  static constexpr int kClientWidth = 477;
  static constexpr int kClientHeight = 310;

  explicit TForm2(QWidget* parent = nullptr);
  ~TForm2() override;

  chart::qt::ChartWidget& Chart1Widget() { return *chart1_; }
  chart::TChart& Chart1() { return chart1_->Chart(); }
  chart::TLineSeries& Series1() { return *series1_; }
  chart::TLineSeries& Series2() { return *series2_; }

 private:
  void LoadChart1();
  void LoadSeries(chart::TLineSeries& series, chart::TColor color);

  chart::qt::ChartWidget* chart1_ = nullptr;
  std::unique_ptr<chart::TLineSeries> series1_;
  std::unique_ptr<chart::TLineSeries> series2_;
};

}  // namespace kolva::wykres
