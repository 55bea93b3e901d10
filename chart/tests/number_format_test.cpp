// SPDX-License-Identifier: MIT
// Each chart makes its value texts (axis labels, legend values) with its own
// formatter; a chart given none raises when it needs one.
#include "chart/number_format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "chart/custom_chart.h"
#include "chart/line_series.h"
#include "recording_canvas.h"

namespace kolva::chart {
namespace {

using testing::RecordingCanvas;

// A formatter that writes its tag, the pattern and the value's whole part.
PatternFormatter Tagging(const std::string& tag) {
  return [tag](const std::string& pattern, long double value) {
    return tag + "[" + pattern + "]" + std::to_string(static_cast<long long>(value));
  };
}

// A chart on a recording canvas with one series of five points, the legend
// showing the percentage of the last.
struct Panel {
  Panel() {
    chart.SetView3D(false);
    chart.Legend().SetLegendStyle(lsLastValues);
    chart.Legend().SetTextStyle(ltsRightPercent);
    series.SetParentChart(&chart);
    for (int i = 0; i < 5; ++i) series.AddPoint(i, 100.0 * i);
  }
  // The texts of one full paint.
  std::vector<std::string> PaintedTexts() {
    auto& canvas = static_cast<RecordingCanvas&>(chart.ChartCanvas());
    canvas.Clear();
    chart.Invalidate();
    chart.Paint();
    std::vector<std::string> texts;
    for (const RecordingCanvas::Op* op : canvas.OpsOf("TextOut")) texts.push_back(op->text);
    return texts;
  }
  TChart chart{std::make_unique<RecordingCanvas>()};
  TLineSeries series{"Series1"};
};

TEST(ChartValueFormatter, TwoChartsLabelWithTheirOwnAndAChartWithoutOneRaises) {
  Panel a, b, none;
  a.chart.SetValueFormatter(Tagging("A"));
  b.chart.SetValueFormatter(Tagging("B"));
  EXPECT_EQ(a.chart.LeftAxis().LabelTextOf(300.0), "A[#,##0.###]300");
  EXPECT_EQ(b.series.ValueToText(7.0), "B[#,##0.###]7");

  // The same charts but for their formatters: A's texts retagged are B's.
  std::vector<std::string> textsA = a.PaintedTexts();
  const std::vector<std::string> textsB = b.PaintedTexts();
  int tagged = 0;
  for (std::string& text : textsA)
    for (std::size_t at; (at = text.find("A[")) != std::string::npos; ++tagged) text[at] = 'B';
  EXPECT_GT(tagged, 4) << "the axes' labels and the legend's value";
  EXPECT_EQ(textsA, textsB);
  EXPECT_NE(std::find(textsB.begin(), textsB.end(), " B[##0.## %]40"), textsB.end())
      << "the legend's row";

  EXPECT_THROW(none.chart.LeftAxis().LabelTextOf(1.0), std::logic_error);
  EXPECT_THROW(none.series.ValueToText(1.0), std::logic_error);
}

}  // namespace
}  // namespace kolva::chart
