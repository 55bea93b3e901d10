// SPDX-License-Identifier: MIT
// Property test of the per-column line reduction: generated data sets are
// drawn reduced and then every segment at a time, and the two pictures must
// be the same byte for byte.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>
#include <random>

#include "app/text/textconv.h"
#include "chart/line_series.h"
#include "chart/qt/chart_widget.h"
#include "qt_app.h"

namespace kolva::chart::qt {
namespace {

enum class Shape { Walk, NoisySine, Steps, Spikes, Alternating, RepeatedX, Flat, Count };

struct Case {
  unsigned seed = 0;
  int count = 0;
};

class LineReductionTest : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    widget.Chart().SetValueFormatter(app::FloatPatternText);
    widget.resize(173, 117);
    widget.SyncBounds();
    series.SetParentChart(&widget.Chart());
    series.SetSeriesColor(clRed);
    widget.Chart().Legend().SetVisible(false);
  }

  QImage Draw(bool reduced) {
    series.SetReducedDrawing(reduced);
    widget.Chart().Invalidate();
    QImage target(widget.size(), QImage::Format_RGB32);
    QPainter painter(&target);
    widget.render(&painter);
    return widget.Canvas().BufferImage().copy();
  }

  void Fill(std::mt19937& random, int count);
  void ChooseWindow(std::mt19937& random);

  bool appReady = (testing::EnsureQtApp(), true);  // before any widget
  ChartWidget widget;
  TLineSeries series;
};

double Uniform(std::mt19937& random, double low, double high) {
  return std::uniform_real_distribution<double>(low, high)(random);
}

double YOf(Shape shape, int i, double& state, std::mt19937& random) {
  switch (shape) {
    case Shape::Walk:
      return state += Uniform(random, -1.0, 1.0);
    case Shape::NoisySine:
      return 100.0 * std::sin(i * 0.01) + Uniform(random, -5.0, 5.0);
    case Shape::Steps:
      if (random() % 50 == 0) state = std::round(Uniform(random, -3.0, 3.0));
      return state;
    case Shape::Spikes:
      return random() % 97 == 0 ? Uniform(random, -1e3, 1e3) : 0.0;
    case Shape::Alternating:
      return i % 2 == 0 ? 1e6 : -1e6;
    case Shape::Flat:
      return 5.0;
    default:
      return Uniform(random, -10.0, 10.0);
  }
}

void LineReductionTest::Fill(std::mt19937& random, int count) {
  const auto shape = static_cast<Shape>(random() % static_cast<unsigned>(Shape::Count));
  const bool gaps = random() % 4 == 0;
  const bool colours = random() % 4 == 0;
  const bool repeats = shape == Shape::RepeatedX || random() % 5 == 0;
  const double dx = Uniform(random, 1e-3, 10.0);
  double x = Uniform(random, -100.0, 100.0);
  double state = 0.0;
  for (int i = 0; i < count; ++i) {
    if (!repeats || random() % 3 != 0) x += dx;
    TColor color = clAutoColor;
    if (gaps && random() % 11 == 0) color = clNone;
    if (colours && random() % 7 == 0) color = PaletteColor(static_cast<int>(random() % 16));
    series.AddPoint(x, YOf(shape, i, state, random), {}, color);
  }
  if (random() % 6 == 0 && count > 2) {  // a point far outside the plot
    const int at = static_cast<int>(random() % static_cast<unsigned>(count));
    series.YValues().ChangeValue(at, random() % 2 ? 1e12 : -1e12);
  }
}

// Autoscaled, zoomed in, panned past the data, or showing no point.
void LineReductionTest::ChooseWindow(std::mt19937& random) {
  const double xMin = series.XMinimum(), xMax = series.XMaximum();
  const double yMin = series.YMinimum(), yMax = series.YMaximum();
  const double xSpan = xMax - xMin + 1.0, ySpan = yMax - yMin + 1.0;
  switch (random() % 5) {
    case 0:
      return;
    case 1:
    case 2: {
      const double a = Uniform(random, xMin - 0.1 * xSpan, xMax);
      widget.Chart().BottomAxis().SetManualRange(a, a + Uniform(random, 1e-3, 1.0) * xSpan);
      const double b = Uniform(random, yMin - 0.2 * ySpan, yMax);
      widget.Chart().LeftAxis().SetManualRange(b, b + Uniform(random, 1e-3, 1.2) * ySpan);
      return;
    }
    case 3:
      widget.Chart().BottomAxis().SetManualRange(xMax + xSpan, xMax + 2 * xSpan);
      return;
    default:
      widget.Chart().BottomAxis().SetInverted(true);
      widget.Chart().LeftAxis().SetManualRange(yMin + 0.3 * ySpan, yMax - 0.3 * ySpan);
  }
}

TEST_P(LineReductionTest, DrawsTheSamePictureAsEverySegment) {
  std::mt19937 random(GetParam().seed);
  Fill(random, GetParam().count);
  ChooseWindow(random);
  const QImage reduced = Draw(true);
  const QImage reference = Draw(false);
  ASSERT_EQ(reduced.size(), reference.size());
  int differing = 0;
  for (int y = 0; y < reference.height(); ++y)
    for (int x = 0; x < reference.width(); ++x)
      differing += reduced.pixel(x, y) != reference.pixel(x, y);
  EXPECT_EQ(differing, 0) << "seed " << GetParam().seed << ", " << GetParam().count << " points";
}

std::vector<Case> SmallCases() {
  std::vector<Case> cases;
  for (unsigned seed = 1; seed <= 300; ++seed) cases.push_back({seed, 1 + (int)(seed * 37 % 2500)});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Small, LineReductionTest, ::testing::ValuesIn(SmallCases()));
INSTANTIATE_TEST_SUITE_P(Million, LineReductionTest,
                         ::testing::Values(Case{1001, 1000000}, Case{1002, 1000000},
                                           Case{1005, 1000000}));

}  // namespace
}  // namespace kolva::chart::qt
