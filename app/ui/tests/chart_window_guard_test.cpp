// SPDX-License-Identifier: MIT
#include "app/ui/chart_window_guard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QtTest/QTest>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/text/errors.h"
#include "app/ui/error_box.h"
#include "app/ui/guard.h"
#include "chart/qt/tests/qt_app.h"
#include "platform/locale_settings.h"
#include "wykres/form2.h"

namespace kolva::ui {
namespace {

// The chart window guarded as the program guards it, its failures recorded
// instead of shown in boxes.
class ChartWindowGuardTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { chart::qt::testing::EnsureQtApp(); }
  void SetUp() override {
    platform::SetCurrentLocale(platform::LocaleSettings{});
    ApplicationErrors().SetPresenter([this](const std::string& text) { shown.push_back(text); });
    GuardChartWindow(form);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
  }
  void TearDown() override { ApplicationErrors().SetPresenter(ShowErrorBox); }

  chart::qt::ChartWidget& Widget() { return form.Chart1Widget(); }

  wykres::TForm2 form;
  std::vector<std::string> shown;
};

TEST_F(ChartWindowGuardTest, PaintAndMouseFailuresReachTheErrorBox) {
  using chart::TCustomChart;
  chart::TChart& chart = form.Chart1();
  const QPoint middle = Widget().rect().center();
  const struct {
    const char* what;
    std::function<void()> arm;
    std::function<void()> fire;
    const char* shown;
  } cases[] = {
      {"paint", [&] { chart.OnAfterDraw = [](TCustomChart&) { throw app::IoError(2); }; },
       [&] {
         chart.Invalidate();
         Widget().repaint();
       },
       "File not found."},
      {"press",
       [&] {
         chart.OnMouseDown = [](TCustomChart&, chart::TMouseButton, chart::TShiftState, int, int) {
           throw std::runtime_error("press failed");
         };
       },
       [&] { QTest::mousePress(&Widget(), Qt::LeftButton, {}, middle); }, "press failed."},
      {"move",
       [&] { chart.OnMouseMove = [](TCustomChart&, chart::TShiftState, int, int) { throw 7; }; },
       [&] { QTest::mouseMove(&Widget(), middle + QPoint(5, 5)); }, "Unknown error."},
      {"release",
       [&] {
         chart.OnMouseUp = [](TCustomChart&, chart::TMouseButton, chart::TShiftState, int, int) {
           throw app::MathError(app::MathError::Kind::kOverflow);
         };
       },
       [&] { QTest::mouseRelease(&Widget(), Qt::LeftButton, {}, middle); },
       "Floating point overflow."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    shown.clear();
    c.arm();
    c.fire();
    EXPECT_EQ(shown, std::vector<std::string>{c.shown});
    chart.OnAfterDraw = nullptr;
    chart.OnMouseDown = nullptr;
    chart.OnMouseMove = nullptr;
    chart.OnMouseUp = nullptr;
  }
}

}  // namespace
}  // namespace kolva::ui
