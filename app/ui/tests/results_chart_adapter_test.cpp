// SPDX-License-Identifier: MIT
#include "app/ui/results_chart_adapter.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QImage>
#include <filesystem>
#include <string>

#include "app/run/acquisition_run.h"
#include "app/run/card.h"
#include "app/run/sampler.h"
#include "app/run/tests/fake_controls.h"
#include "chart/axis.h"
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

TEST_F(ResultsChartAdapterTest, ShowMakesTheWindowVisibleAndNamesItsPictureAfterTheResults) {
  ASSERT_FALSE(form.isVisible());
  adapter.Show("pomiary_\xc5\xbc\xc3\xb3\xc5\x82w/r\xc3\xa9.txt");  // UTF-8 bytes
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.DefaultPictureName(), QString::fromUtf8("r\xc3\xa9.png"));
}

TEST_F(ResultsChartAdapterTest, RestoreAxesUndoesAZoomAndLeavesStoredAxesAlone) {
  chart::TChartAxis& bottom = form.Chart1().BottomAxis();
  const bool automatic = bottom.Automatic();
  adapter.RestoreAxes();  // nothing to undo
  EXPECT_EQ(bottom.Automatic(), automatic);
  form.Chart1().Zooming().SaveAxes();
  bottom.SetManualRange(2.0, 3.0);
  ASSERT_FALSE(bottom.Automatic());

  adapter.RestoreAxes();

  EXPECT_EQ(bottom.Automatic(), automatic);
  EXPECT_FALSE(form.Chart1().Zooming().AxesSaved());
}

// A charted run on the simulated card, its sampler on a thread of its own
// and the GUI thread following it once a frame: the chart window is shown,
// both series get one point per reading in the run's colours, in order, and
// the window repaints while the run goes on, at most once a frame. A GUI
// thread that stops for 300 ms (a slow paint) does not hold the run up.
TEST_F(ResultsChartAdapterTest, ChartedRunFillsTheChartWindow) {
  char pattern[] = "/tmp/kolva-chart-run-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  const fs::path folder = pattern;
  platform::SystemClock clock;
  platform::FakeKeyboard keyboard;
  app::FakeControls controls;
  controls.intervalText = "0.001";
  controls.lengthText = "0.01";  // 600 ms
  controls.chartResults = true;
  controls.resultsFileName = (folder / "results.txt").string();
  platform::SimCardOptions options;
  options.input1.kind = platform::SimSignal::Kind::kSine;
  options.input1.amplitudeMv = 500;
  options.input1.frequencyHz = 20;
  platform::SimCard sim(options, clock);
  app::Card card(sim, clock, keyboard, controls);
  card.BaseAddress = options.base;
  card.ScaleLow = 366.2109375f;
  card.Gain2Low = 1.0f;
  PaintCounter paints;
  form.Chart1Widget().installEventFilter(&paints);
  app::Sampler sampler(sim, clock, keyboard, [] { return app::DateTime{2026, 3, 7, 12, 0, 0, 0}; });
  app::AcquisitionRun run(card, sampler, controls, &adapter);

  run.Button3Click();
  int frames = 0;
  while (run.Active()) {
    QApplication::processEvents();
    run.Update();
    ++frames;
    ::usleep(frames == 5 ? 300000 : 16000);
  }

  EXPECT_TRUE(form.isVisible());
  const auto taken = static_cast<int>(run.Timing().taken);
  EXPECT_GT(taken, 400);
  // Readings kept their schedule through the stall: none waited for it (a
  // few may come a little late on a busy machine, as they do without one).
  EXPECT_LT(run.Timing().worstLatenessTicks, platform::Clock::kCounterTicksPerSecond / 10);
  EXPECT_EQ(static_cast<int>(run.ReadingsTaken()), taken);
  ASSERT_EQ(form.Series1().PointCount(), taken);
  ASSERT_EQ(form.Series2().PointCount(), taken);
  for (int i = 0; i < taken; ++i) {
    ASSERT_EQ(form.Series1().XValue(i), static_cast<double>(0.001L * i)) << i;
  }
  EXPECT_EQ(form.Series1().PointColor(17), 255u);
  EXPECT_EQ(form.Series2().PointColor(17), 0xFFFFFFu);
  // Painted during the run, not only after it, and never more than once a
  // frame; input 1's line in red.
  EXPECT_GT(paints.count, 1);
  EXPECT_LE(paints.count, frames + 1);
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
