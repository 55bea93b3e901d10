// SPDX-License-Identifier: MIT
#include "chart/qt/chart_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <stdexcept>

#include "app/text/textconv.h"
#include "chart/line_series.h"
#include "qt_app.h"

namespace kolva::chart::qt {
namespace {

// The widget host on the offscreen platform; the chart's OnAfterDraw counts
// the full drawings.
class ChartWidgetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    widget.Chart().SetValueFormatter(app::FloatPatternText);
    widget.SetErrorHandler([](std::exception_ptr) { ADD_FAILURE() << "a paint failed"; });
    widget.resize(300, 200);
    widget.Chart().OnAfterDraw = [this](TCustomChart&) { ++drawings; };
    widget.show();
    QApplication::processEvents();
  }

  bool appReady = (testing::EnsureQtApp(), true);  // before any widget
  ChartWidget widget;
  int drawings = 0;
};

TEST_F(ChartWidgetTest, InvalidationsMergeAndCleanPaintsOnlyCopy) {
  EXPECT_EQ(drawings, 1);
  EXPECT_TRUE(widget.testAttribute(Qt::WA_OpaquePaintEvent)) << "no background erasing";
  TLineSeries series;
  series.SetParentChart(&widget.Chart());
  for (int i = 0; i < 500; ++i) series.AddPoint(i, i % 13);
  QApplication::processEvents();
  EXPECT_EQ(drawings, 2);
  widget.repaint();  // the window system asks again; nothing changed
  EXPECT_EQ(drawings, 2);
  EXPECT_EQ(widget.Canvas().BufferImage().size(), QSize(300, 200));
}

TEST_F(ChartWidgetTest, ResizingDrawsANewBufferOfTheNewSize) {
  widget.Chart().SetBorderStyle(bsSingle);
  widget.Chart().SetBorderWidth(1);
  QApplication::processEvents();
  widget.resize(250, 150);
  QApplication::processEvents();
  EXPECT_EQ(widget.Chart().Width(), 250);
  EXPECT_EQ(widget.Canvas().BufferImage().size(), QSize(244, 144));
  EXPECT_EQ(widget.Chart().ChartBounds, (TRect{0, 0, 244, 144}));
}

TEST_F(ChartWidgetTest, AFailureInThePaintReachesTheHandlerNotQt) {
  std::string seen;
  widget.SetErrorHandler([&](std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const std::exception& e) {
      seen = e.what();
    }
  });
  widget.Chart().OnAfterDraw = [](TCustomChart&) { throw std::runtime_error("paint failed"); };
  widget.Chart().Invalidate();
  widget.repaint();
  EXPECT_EQ(seen, "paint failed");
}

}  // namespace
}  // namespace kolva::chart::qt
