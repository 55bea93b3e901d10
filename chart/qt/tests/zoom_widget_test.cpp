// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <exception>
#include <stdexcept>

#include "app/text/textconv.h"
#include "chart/line_series.h"
#include "chart/qt/chart_widget.h"
#include "chart/qt/tests/qt_app.h"

namespace kolva::chart::qt {
namespace {

// The application object for the whole program, never destroyed: the mouse
// events create Qt's pointing device, whose teardown among the program's
// exit handlers would come after the statics it uses.
bool EnsureApp() {
  testing::EnsureQtApp();
  return true;
}

// The widget's client area starts past the sunken edge (2) and border (1).
constexpr int kInset = 3;

// A chart widget set up like the chart window, with two series of 40
// points, painted once. Mouse events are sent to the widget as the window
// system delivers them, in widget coordinates.
class ZoomWidget : public ::testing::Test {
 protected:
  ZoomWidget() {
    widget.Chart().SetValueFormatter(app::FloatPatternText);
    widget.resize(477, 310);
    widget.SyncBounds();
    TChart& chart = Chart();
    chart.SetBorderStyle(bsSingle);
    chart.SetBorderWidth(1);
    chart.SetBevelOuter(bvLowered);
    chart.SetBevelWidth(4);
    chart.SetColor(clTeal);
    chart.SetView3D(false);
    chart.Title().SetText({"Press mouse left button, draw down to zoom"});
    series1.SetParentChart(&chart);
    series2.SetParentChart(&chart);
    for (int i = 0; i < 40; ++i) {
      series1.AddPoint(i, 10.0 * i, "", clRed);
      series2.AddPoint(i, -5.0 * i, "", clWhite);
    }
    Paint();
  }

  TChart& Chart() { return widget.Chart(); }
  // Paints the widget as the event loop would, and answers the image.
  QImage Paint() {
    widget.grab();
    return widget.Canvas().BufferImage().copy();
  }
  const QImage& Image() { return widget.Canvas().BufferImage(); }

  // Client coordinates relative to ChartRect's top-left corner, and the
  // widget point they are at.
  int X(int dx) { return Chart().ChartRect.Left + dx; }
  int Y(int dy) { return Chart().ChartRect.Top + dy; }
  void Send(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held, int x, int y) {
    const QPointF at(x + kInset, y + kInset);
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
  }
  void Press(Qt::MouseButton button, int x, int y) {
    Send(QEvent::MouseButtonPress, button, button, x, y);
  }
  void Move(Qt::MouseButtons held, int x, int y) {
    Send(QEvent::MouseMove, Qt::NoButton, held, x, y);
  }
  void Release(Qt::MouseButton button, int x, int y) {
    Send(QEvent::MouseButtonRelease, button, Qt::NoButton, x, y);
  }
  void LeftDrag(int x0, int y0, int x1, int y1) {
    Press(Qt::LeftButton, x0, y0);
    Move(Qt::LeftButton, x1, y1);
    Release(Qt::LeftButton, x1, y1);
  }

  // The application object comes before the widget.
  bool appReady_ = EnsureApp();
  ChartWidget widget;
  TLineSeries series1{"Series1"};
  TLineSeries series2{"Series2"};
};

TEST_F(ZoomWidget, ALeftDragDownRightZoomsToTheBandInClientCoordinates) {
  const double left = Chart().BottomAxis().PixelToValue(X(40));
  const double right = Chart().BottomAxis().PixelToValue(X(57));
  const double top = Chart().LeftAxis().PixelToValue(Y(30));
  const double bottom = Chart().LeftAxis().PixelToValue(Y(47));
  LeftDrag(X(40), Y(30), X(57), Y(47));
  EXPECT_DOUBLE_EQ(Chart().BottomAxis().Minimum(), left);
  EXPECT_DOUBLE_EQ(Chart().BottomAxis().Maximum(), right);
  EXPECT_DOUBLE_EQ(Chart().LeftAxis().Minimum(), bottom);
  EXPECT_DOUBLE_EQ(Chart().LeftAxis().Maximum(), top);
  EXPECT_TRUE(Chart().RepaintPending());
  const QImage zoomed = Paint();

  LeftDrag(X(57), Y(47), X(40), Y(30));
  EXPECT_TRUE(Chart().BottomAxis().Automatic());
  Paint();
  LeftDrag(X(40), Y(30), X(57), Y(47));
  EXPECT_EQ(Paint(), zoomed) << "the same drag zooms to the same picture";
}

TEST_F(ZoomWidget, AClickLeavesTheImageAndTheAxesAsTheyWereAndRequestsNoRepaint) {
  const QImage before = Image().copy();
  Press(Qt::LeftButton, X(60), Y(60));
  Release(Qt::LeftButton, X(60), Y(60));
  EXPECT_FALSE(Chart().RepaintPending());
  EXPECT_TRUE(Chart().LeftAxis().Automatic());
  EXPECT_EQ(Image(), before);
  EXPECT_EQ(Paint(), before);
}

TEST_F(ZoomWidget, TheBandIsNotXorInRedOnAWhiteChartAndSurvivesRepaints) {
  Chart().SetColor(clWhite);
  const QImage before = Paint();
  Press(Qt::LeftButton, X(20), Y(20));
  Move(Qt::LeftButton, X(30), Y(28));
  EXPECT_FALSE(Chart().RepaintPending()) << "drawing the band repaints nothing";
  int changed = 0;
  for (int y = 0; y < before.height(); ++y) {
    for (int x = 0; x < before.width(); ++x) {
      const bool onBand = (x >= X(20) && x < X(30) && (y == Y(20) || y == Y(28) - 1)) ||
                          (y >= Y(20) && y < Y(28) && (x == X(20) || x == X(30) - 1));
      const QRgb was = before.pixel(x, y) & 0xFFFFFFu;
      const QRgb expected = onBand ? ~(0xFF0000u ^ was) & 0xFFFFFFu : was;
      ASSERT_EQ(Image().pixel(x, y) & 0xFFFFFFu, expected) << x << ", " << y;
      changed += onBand;
    }
  }
  EXPECT_EQ(changed, 2 * 10 + 2 * 6);
  EXPECT_EQ(Image().pixel(X(25), Y(20)) & 0xFFFFFFu, 0xFF0000u) << "red over the white panel";

  const QImage withBand = Image().copy();
  Chart().Invalidate();
  EXPECT_EQ(Paint(), withBand) << "a repaint draws the band again";
  Release(Qt::LeftButton, X(30), Y(28));
  EXPECT_EQ(Image(), before);
}

TEST_F(ZoomWidget, ARightDragPansAndARightPressDuringALeftDragIsIgnored) {
  const double grabbed = Chart().BottomAxis().PixelToValue(X(100));
  Press(Qt::RightButton, X(100), Y(50));
  Move(Qt::RightButton, X(120), Y(50));
  Release(Qt::RightButton, X(120), Y(50));
  Paint();
  EXPECT_EQ(Chart().BottomAxis().ValueToPixel(grabbed), X(120));

  Press(Qt::LeftButton, X(10), Y(10));
  Press(Qt::RightButton, X(20), Y(20));
  EXPECT_FALSE(Chart().PanState().Active);
  EXPECT_TRUE(Chart().ZoomState().Active);
}

TEST_F(ZoomWidget, TheCursorFollowsTheSeriesUnderTheMouseAndIsTheArrowDuringADrag) {
  TChart& chart = Chart();
  chart.BeginLoading();
  chart.SetCursor(crCross);
  chart.EndLoading();
  series2.SetCursor(crHandPoint);
  const int x = series2.PixelX(10);
  const int y = series2.PixelY(10);
  Move(Qt::NoButton, x, y);
  EXPECT_EQ(widget.cursor().shape(), Qt::PointingHandCursor) << "the series' own cursor";
  Move(Qt::NoButton, x, y - 40);
  EXPECT_EQ(widget.cursor().shape(), Qt::CrossCursor) << "back to the chart's own cursor";
  Press(Qt::LeftButton, x, y - 40);
  EXPECT_EQ(chart.Cursor(), crDefault);
  EXPECT_EQ(widget.cursor().shape(), Qt::ArrowCursor);
  Release(Qt::LeftButton, x, y - 40);
}

TEST(ToQtCursor, StandardIdsHaveTheirShapesOthersTheArrow) {
  const struct {
    int id;
    Qt::CursorShape shape;
  } cases[] = {
      {crDefault, Qt::ArrowCursor},   {crArrow, Qt::ArrowCursor},
      {crCross, Qt::CrossCursor},     {crHandPoint, Qt::PointingHandCursor},
      {crSizeAll, Qt::SizeAllCursor}, {crHourGlass, Qt::WaitCursor},
      {crNone, Qt::BlankCursor},      {Qt::CrossCursor, Qt::ArrowCursor},
      {-5, Qt::ArrowCursor},          {-1000, Qt::ArrowCursor},
  };
  for (const auto& c : cases) EXPECT_EQ(ToQtCursor(c.id), c.shape) << c.id;
}

TEST_F(ZoomWidget, AFailingEventGoesToTheErrorHandlerNotThroughQt) {
  int errors = 0;
  widget.SetErrorHandler([&](std::exception_ptr) { ++errors; });
  Chart().OnZoom = [](TCustomChart&) { throw std::runtime_error("zoom failed"); };
  LeftDrag(X(40), Y(30), X(80), Y(70));
  EXPECT_EQ(errors, 1);
  EXPECT_FALSE(Chart().ZoomState().Active);
}

}  // namespace
}  // namespace kolva::chart::qt
