// SPDX-License-Identifier: MIT
// The built kolva program under a private X server, after a charted run on
// the simulated card: a left drag down and to the right over the chart
// window zooms, a left drag up and to the left restores the picture exactly.
// Then the chart window in this process on its own private X server, while
// points arrive as in a run: the zoom narrows the axis labels, holds while
// points are added, and the undo shows the newest points.
// Mouse input comes from xdotool through the X server, as an operator's.
#include <gtest/gtest.h>

#include <QApplication>
#include <QtTest/QTest>
#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/ui/tests/x_session.h"
#include "chart/axis_layout.h"
#include "chart/qt/tests/qt_app.h"
#include "wykres/form2.h"

namespace {

using namespace kolva::xsession;

// kolva in a scratch folder set up for a charted run of 0.02 minutes at
// 0.01 s on the simulated card.
class ChartedRun : public KolvaRun {
 public:
  explicit ChartedRun(const std::string& display)
      : KolvaRun(display, "0\r\n0\r\n0.01\r\n0.02\r\ntrue\r\ntrue\r\nfalse\r\ntrue\r\n",
                 "sim,in1=sine:2V:3Hz,in2=triangle:1V:1Hz", {"LC_ALL=C", "LANG=C"}) {}
};

// The application object of this process on `display`, for the chart
// window's own test; created once and never destroyed (Qt's input devices
// would outlive the statics they use at exit).
void StartQtOn(const std::string& display) {
  if (QApplication::instance() != nullptr) return;
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  ::setenv("DISPLAY", display.c_str(), 1);
  kolva::chart::qt::testing::EnsureQtApp();
}

// The values of the labels the axis draws at its current range.
std::vector<double> LabelValues(kolva::chart::TChartAxis& axis) {
  std::vector<double> values;
  for (const kolva::chart::AxisMark& mark : axis.ValueMarks(axis.LabelStep())) {
    if (mark.kind != kolva::chart::AxisMarkKind::kLabel) continue;
    std::string text = mark.text;
    for (char& c : text)
      if (c == ',') c = '.';
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
    values.push_back(value);
  }
  return values;
}

class ZoomEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = std::getenv("KOLVA_BUILD_DIR");
    ASSERT_NE(build, nullptr);
    ASSERT_TRUE(fs::exists(std::string(build) + "/app/ui/kolva"));
    if (!OnPath("Xvfb") || !OnPath("xdotool") || !OnPath("xwd"))
      GTEST_SKIP() << "needs Xvfb, xdotool and xwd";
    ASSERT_FALSE(display_.Name().empty()) << "Xvfb did not start";
  }

  std::string Xdotool(const std::vector<std::string>& args) {
    return kolva::xsession::Xdotool(display_.Name(), args);
  }

  std::string FindWindow(const std::string& name, const KolvaRun& program) {
    return kolva::xsession::FindWindow(display_.Name(), name, program);
  }

  // The window's pixels as the X server holds them (an xwd dump: equal
  // dumps are equal pictures).
  std::string Picture(const std::string& window) {
    return Capture(display_.Name(), {"xwd", "-silent", "-id", window});
  }

  // The picture once it has stopped changing for half a second.
  std::string SettledPicture(const std::string& window) {
    std::string last = Picture(window);
    auto since = SteadyClock::now();
    WaitFor(
        [&] {
          std::string now = Picture(window);
          if (now != last) {
            last = now;
            since = SteadyClock::now();
          }
          return SteadyClock::now() - since >= std::chrono::milliseconds(500);
        },
        seconds(20));
    return last;
  }

  // A left drag in window coordinates, in steps as a hand moves.
  void LeftDrag(const std::string& window, int x0, int y0, int x1, int y1) {
    auto to = [&](int x, int y) {
      Xdotool({"mousemove", "--window", window, std::to_string(x), std::to_string(y)});
    };
    to(x0, y0);
    Xdotool({"mousedown", "1"});
    for (int i = 1; i <= 4; ++i) to(x0 + (x1 - x0) * i / 4, y0 + (y1 - y0) * i / 4);
    Xdotool({"mouseup", "1"});
  }

  PrivateDisplay display_;
};

TEST_F(ZoomEndToEnd, AfterARunADragDownRightZoomsAndADragUpLeftRestoresThePicture) {
  ChartedRun program(display_.Name());
  const std::string main = FindWindow("Card found", program);
  ASSERT_FALSE(main.empty()) << "no main window with the card's caption";
  Xdotool({"mousemove", "--window", main, "148", "396"});
  Xdotool({"click", "1"});
  const std::string chart = FindWindow("WYKRES", program);
  ASSERT_FALSE(chart.empty()) << "the chart window did not appear";
  ASSERT_TRUE(WaitFor([&] { return fs::exists(program.Results()); }, seconds(20)));
  // The run lasts 1.2 s and flushes the file at least once a second.
  ASSERT_TRUE(WaitUntilStill(program.Results(), seconds(2), seconds(60))) << "the run did not end";
  Xdotool({"windowraise", chart});
  const std::string before = SettledPicture(chart);
  ASSERT_GT(before.size(), 400000u) << "a 477 x 310 picture";

  LeftDrag(chart, 120, 90, 260, 190);
  const std::string zoomed = SettledPicture(chart);
  EXPECT_NE(zoomed, before) << "the zoom changed nothing on the screen";

  LeftDrag(chart, 260, 190, 120, 90);
  const std::string restored = SettledPicture(chart);
  EXPECT_TRUE(restored == before) << "the undo did not restore the picture of before the zoom";
}

TEST_F(ZoomEndToEnd, InTheChartWindowAZoomNarrowsTheLabelsAndHoldsWhilePointsArrive) {
  StartQtOn(display_.Name());
  using namespace kolva::chart;
  kolva::wykres::TForm2 form;
  TChart& chart = form.Chart1();
  // Readings every 10 ms as a run adds them: a 3 Hz sine and a 1 Hz ramp.
  auto add = [&](int i) {
    const double t = i * 0.01;
    form.Series1().AddPoint(t, 2000.0 * std::sin(2 * M_PI * 3 * t), "", clRed);
    form.Series2().AddPoint(t, 1000.0 * t, "", clWhite);
    QApplication::processEvents();
  };
  for (int i = 0; i < 60; ++i) add(i);
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  auto settle = [&](const std::function<bool()>& done) {
    return WaitFor(
        [&] {
          QApplication::processEvents();
          return done() && !chart.RepaintPending();
        },
        seconds(10));
  };
  ASSERT_TRUE(settle([] { return true; }));
  const std::vector<double> before = LabelValues(chart.BottomAxis());
  ASSERT_GE(before.size(), 3u);
  const std::string window = std::to_string(form.winId());

  LeftDrag(window, 120, 90, 260, 190);
  ASSERT_TRUE(settle([&] { return chart.Zooming().Zoomed(); })) << "the drag did not zoom";
  const std::vector<double> zoomed = LabelValues(chart.BottomAxis());
  ASSERT_FALSE(zoomed.empty());
  const auto [beforeLow, beforeHigh] = std::minmax_element(before.begin(), before.end());
  const auto [zoomedLow, zoomedHigh] = std::minmax_element(zoomed.begin(), zoomed.end());
  EXPECT_LT(*zoomedHigh - *zoomedLow, *beforeHigh - *beforeLow) << "the labels span less";
  EXPECT_GT(chart.BottomAxis().Minimum(), 0.0);
  EXPECT_LT(chart.BottomAxis().Maximum(), 0.59);

  const double min = chart.BottomAxis().Minimum();
  const double max = chart.BottomAxis().Maximum();
  for (int i = 60; i < 120; ++i) add(i);
  EXPECT_EQ(chart.BottomAxis().Minimum(), min) << "the zoom holds while points arrive";
  EXPECT_EQ(chart.BottomAxis().Maximum(), max);

  LeftDrag(window, 260, 190, 120, 90);
  ASSERT_TRUE(settle([&] { return !chart.Zooming().Zoomed(); })) << "the drag did not undo";
  EXPECT_TRUE(chart.BottomAxis().Automatic());
  EXPECT_DOUBLE_EQ(chart.BottomAxis().Maximum(), 1.19) << "the newest point in view";
}

}  // namespace
