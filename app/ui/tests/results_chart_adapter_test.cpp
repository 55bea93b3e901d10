// SPDX-License-Identifier: MIT
#include "app/ui/results_chart_adapter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <filesystem>
#include <string>

#include "app/acquisition_run.h"
#include "app/card.h"
#include "app/tests/fake_controls.h"
#include "chart/qt/tests/qt_app.h"
#include "platform/locale_settings.h"
#include "platform/sim_card.h"
#include "platform/tests/fake_clock.h"
#include "platform/tests/fake_keyboard.h"
#include "wykres/form2.h"

namespace kolva::ui {
namespace {

namespace fs = std::filesystem;

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
 public:
  int count = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    count += event->type() == QEvent::Paint;
    return false;
  }
};

class ResultsChartAdapterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { chart::qt::testing::EnsureQtApp(); }
  void SetUp() override { platform::SetCurrentLocale(platform::LocaleSettings{}); }

  wykres::TForm2 form;
  ResultsChartAdapter adapter{form};
};

TEST_F(ResultsChartAdapterTest, SeriesZeroAndOneAreSeries1AndSeries2InListOrder) {
  form.Series1().AddPoint(5, 5);
  form.Series2().AddPoint(6, 6);

  adapter.ClearPoints(0);
  EXPECT_EQ(form.Series1().PointCount(), 0);
  EXPECT_EQ(form.Series2().PointCount(), 1);
  adapter.ClearPoints(1);
  EXPECT_EQ(form.Series2().PointCount(), 0);

  adapter.AddPoint(0, 0.001L, 36.62109375f, 255);
  adapter.AddPoint(1, 0.001L, -54.931640625f, 0xFFFFFF);
  ASSERT_EQ(form.Series1().PointCount(), 1);
  ASSERT_EQ(form.Series2().PointCount(), 1);
  EXPECT_EQ(form.Series1().XValue(0), 0.001);
  EXPECT_EQ(form.Series1().YValue(0), 36.62109375);
  EXPECT_EQ(form.Series1().PointColor(0), 255u);
  EXPECT_EQ(form.Series1().PointLabel(0), "");
  EXPECT_EQ(form.Series2().YValue(0), -54.931640625);
  EXPECT_EQ(form.Series2().PointColor(0), 0xFFFFFFu);
}

TEST_F(ResultsChartAdapterTest, ShowMakesTheWindowVisible) {
  ASSERT_FALSE(form.isVisible());
  adapter.Show();
  EXPECT_TRUE(form.isVisible());
}

// A charted run on the simulated card: the chart window is shown, both
// series get one point per reading in the run's colours, and the message
// pump repaints the window while the run goes on.
TEST_F(ResultsChartAdapterTest, ChartedRunFillsTheChartWindow) {
  char pattern[] = "/tmp/kolva-chart-run-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const fs::path folder = pattern;
  platform::FakeClock clock;
  clock.step = 1193;  // one period of 0.001 s per counter read
  platform::FakeKeyboard keyboard;
  keyboard.onRead = [](platform::FakeKeyboard& k) {
    if (k.reads + 1 >= 51) k.scanCode = app::Card::kStopScanCode;
  };
  app::FakeControls controls;
  controls.intervalText = "0.001";
  controls.chartResults = true;
  controls.resultsFileName = (folder / "results.txt").string();
  platform::SimCardOptions options;
  options.input1.kind = platform::SimSignal::Kind::kSine;
  options.input1.amplitudeMv = 500;
  options.input1.frequencyHz = 20;
  platform::FakeClock signalClock;
  signalClock.step = 1193;
  platform::SimCard sim(options, signalClock);
  app::Card card(sim, clock, keyboard, controls);
  card.BaseAddress = options.base;
  card.ScaleLow = 366.2109375f;
  card.Gain2Low = 1.0f;
  PaintCounter paints;
  form.Chart1Widget().installEventFilter(&paints);
  int pumps = 0;
  app::AcquisitionRun run(
      card, clock, controls, &adapter,
      [&] {
        ++pumps;
        QApplication::processEvents();
      },
      [] { return app::DateTime{2026, 3, 7, 12, 0, 0, 0}; });

  run.Button3Click();

  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(pumps, 50);
  ASSERT_EQ(form.Series1().PointCount(), 50);
  ASSERT_EQ(form.Series2().PointCount(), 50);
  EXPECT_EQ(form.Series1().XValue(49), static_cast<double>(0.001L * 49));
  EXPECT_EQ(form.Series1().PointColor(17), 255u);
  EXPECT_EQ(form.Series2().PointColor(17), 0xFFFFFFu);
  // The chart was painted during the run, not only after it, with input
  // 1's line in red.
  EXPECT_GT(paints.count, 1);
  const QImage image = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
  int red = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) red += image.pixel(x, y) == qRgb(255, 0, 0);
  }
  EXPECT_GT(red, 50);
  fs::remove_all(folder);
}

}  // namespace
}  // namespace kolva::ui
