// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>
#include <exception>
#include <functional>
#include <memory>

#include "chart/custom_chart.h"
#include "chart/qt/qt_chart_canvas.h"

namespace kolva::chart::qt {

// The window that hosts one chart. It owns the chart and its Qt canvas,
// turns the chart's repaint request into update() (which Qt merges until
// the event loop runs), paints from the chart's off-screen image without
// erasing the background first, draws the sunken edge and border around the
// chart's client area, and discards the image when resized. Mouse presses,
// moves and releases go to the chart in its client coordinates with their
// button and keys; the zoom band the chart draws onto its image between
// paints is shown by copying the image again, and the widget's cursor
// follows the chart's (by ToQtCursor).
//
// No exception leaves a Qt event handler: a failure is given to the error
// handler (the application's error box), or dropped when none is set.
// The Qt shape of a chart or series cursor id: crDefault and the ids this
// host does not know are the arrow.
Qt::CursorShape ToQtCursor(int id);

class ChartWidget : public QWidget {
  Q_OBJECT

 public:
  explicit ChartWidget(QWidget* parent = nullptr);
  ~ChartWidget() override;

  TChart& Chart() { return *chart_; }
  QtChartCanvas& Canvas() { return *canvas_; }
  void SetErrorHandler(std::function<void(std::exception_ptr)> handler) {
    onError_ = std::move(handler);
  }
  // Runs an event handler; what it raises goes to the error handler (the
  // window that holds the chart guards its own handlers with it too).
  void Guarded(const std::function<void()>& handler);
  // Gives the chart the widget's position and size now; Qt delivers the
  // resize of a hidden widget only when it is shown.
  void SyncBounds();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void PaintAll(QPainter& painter);
  void DrawFrame(QPainter& painter);
  // The client-area point of a mouse event, past the edge and border.
  int Inset() const;
  void Press(QMouseEvent* event, TShiftState extra);
  void FollowCursor();

  QtChartCanvas* canvas_ = nullptr;
  std::unique_ptr<TChart> chart_;
  std::function<void(std::exception_ptr)> onError_;
};

}  // namespace kolva::chart::qt
