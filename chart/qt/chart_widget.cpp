// SPDX-License-Identifier: MIT
#include "chart/qt/chart_widget.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace kolva::chart::qt {
namespace {

// The window system's sunken client edge: two rings, shadow over darker
// shadow at the top and left, highlight over face at the bottom and right.
constexpr TColor kEdgeOuterTop = clBtnShadow;
constexpr TColor kEdgeOuterBottom = clBtnHighlight;
constexpr TColor kEdgeInnerTop = 0x404040u;
constexpr TColor kEdgeInnerBottom = clBtnFace;

void Ring(QPainter& p, QRect r, TColor top, TColor bottom) {
  p.setPen(QColor(ToQRgb(top)));
  p.drawLine(r.left(), r.bottom(), r.left(), r.top());
  p.drawLine(r.left(), r.top(), r.right(), r.top());
  p.setPen(QColor(ToQRgb(bottom)));
  p.drawLine(r.right(), r.top(), r.right(), r.bottom());
  p.drawLine(r.right(), r.bottom(), r.left(), r.bottom());
}

bool ToChartButton(Qt::MouseButton button, TMouseButton& out) {
  switch (button) {
    case Qt::LeftButton:
      out = mbLeft;
      return true;
    case Qt::RightButton:
      out = mbRight;
      return true;
    case Qt::MiddleButton:
      out = mbMiddle;
      return true;
    default:
      return false;
  }
}

// The keys and the buttons held during the event.
TShiftState ShiftOf(const QMouseEvent& event) {
  TShiftState shift = 0;
  const Qt::KeyboardModifiers keys = event.modifiers();
  if (keys & Qt::ShiftModifier) shift |= ssShift;
  if (keys & Qt::AltModifier) shift |= ssAlt;
  if (keys & Qt::ControlModifier) shift |= ssCtrl;
  const Qt::MouseButtons held = event.buttons();
  if (held & Qt::LeftButton) shift |= ssLeft;
  if (held & Qt::RightButton) shift |= ssRight;
  if (held & Qt::MiddleButton) shift |= ssMiddle;
  return shift;
}

}  // namespace

Qt::CursorShape ToQtCursor(int id) {
  switch (id) {
    case crNone:
      return Qt::BlankCursor;
    case crCross:
      return Qt::CrossCursor;
    case crIBeam:
      return Qt::IBeamCursor;
    case crSizeNESW:
      return Qt::SizeBDiagCursor;
    case crSizeNS:
      return Qt::SizeVerCursor;
    case crSizeNWSE:
      return Qt::SizeFDiagCursor;
    case crSizeWE:
      return Qt::SizeHorCursor;
    case crUpArrow:
      return Qt::UpArrowCursor;
    case crHourGlass:
      return Qt::WaitCursor;
    case crNo:
      return Qt::ForbiddenCursor;
    case crHelp:
      return Qt::WhatsThisCursor;
    case crHandPoint:
      return Qt::PointingHandCursor;
    case crSizeAll:
      return Qt::SizeAllCursor;
    default:
      return Qt::ArrowCursor;
  }
}

ChartWidget::ChartWidget(QWidget* parent) : QWidget(parent) {
  auto canvas = std::make_unique<QtChartCanvas>();
  canvas_ = canvas.get();
  chart_ = std::make_unique<TChart>(std::move(canvas));
  chart_->SetRepaintRequest([this] { update(); });
  // The band drawn onto the image needs only the image copied again; an
  // animated zoom step is painted at once.
  chart_->Mouse().SetImageChangedRequest([this] { update(); });
  chart_->Zooming().SetRefreshRequest([this] { repaint(); });
  // Moves without a button pressed, for the series' own cursors.
  setMouseTracking(true);
  // Every paint covers the whole widget: no background erasing.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_NoSystemBackground);
  SyncBounds();
}

ChartWidget::~ChartWidget() = default;

void ChartWidget::Guarded(const std::function<void()>& handler) {
  try {
    handler();
  } catch (...) {
    if (onError_) onError_(std::current_exception());
  }
}

void ChartWidget::SyncBounds() {
  chart_->SetBounds(x(), y(), width(), height());
}

void ChartWidget::DrawFrame(QPainter& painter) {
  QRect r = rect();
  if (chart_->BorderStyle() == bsSingle) {
    Ring(painter, r, kEdgeOuterTop, kEdgeOuterBottom);
    r.adjust(1, 1, -1, -1);
    Ring(painter, r, kEdgeInnerTop, kEdgeInnerBottom);
    r.adjust(1, 1, -1, -1);
  }
  for (int i = 0; i < chart_->BorderWidth(); ++i) {
    Ring(painter, r, chart_->Color(), chart_->Color());
    r.adjust(1, 1, -1, -1);
  }
}

void ChartWidget::PaintAll(QPainter& painter) {
  DrawFrame(painter);
  painter.translate(Inset(), Inset());
  canvas_->SetWindowPainter(&painter);
  try {
    chart_->Paint();
  } catch (...) {
    canvas_->SetWindowPainter(nullptr);
    throw;
  }
  canvas_->SetWindowPainter(nullptr);
}

void ChartWidget::paintEvent(QPaintEvent*) {
  Guarded([this] {
    QPainter painter(this);
    PaintAll(painter);
  });
}

void ChartWidget::resizeEvent(QResizeEvent*) {
  Guarded([this] { SyncBounds(); });
}

void ChartWidget::moveEvent(QMoveEvent*) {
  Guarded([this] { SyncBounds(); });
}

void ChartWidget::leaveEvent(QEvent*) {
  Guarded([this] {
    chart_->RestoreCursor();
    FollowCursor();
  });
}

int ChartWidget::Inset() const {
  return chart_->BorderWidth() + (chart_->BorderStyle() == bsSingle ? kSunkenEdgeWidth : 0);
}

void ChartWidget::FollowCursor() {
  setCursor(ToQtCursor(chart_->Cursor()));
}

void ChartWidget::Press(QMouseEvent* event, TShiftState extra) {
  TMouseButton button;
  if (!ToChartButton(event->button(), button)) return;
  const QPoint at = event->position().toPoint();
  Guarded([&] {
    chart_->Mouse().MouseDown(button, ShiftOf(*event) | extra, at.x() - Inset(), at.y() - Inset());
    FollowCursor();
  });
}

void ChartWidget::mousePressEvent(QMouseEvent* event) {
  Press(event, 0);
}

void ChartWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  Press(event, ssDouble);
}

void ChartWidget::mouseMoveEvent(QMouseEvent* event) {
  const QPoint at = event->position().toPoint();
  Guarded([&] {
    chart_->Mouse().MouseMove(ShiftOf(*event), at.x() - Inset(), at.y() - Inset());
    FollowCursor();
  });
}

void ChartWidget::mouseReleaseEvent(QMouseEvent* event) {
  TMouseButton button;
  if (!ToChartButton(event->button(), button)) return;
  const QPoint at = event->position().toPoint();
  Guarded([&] {
    chart_->Mouse().MouseUp(button, ShiftOf(*event), at.x() - Inset(), at.y() - Inset());
    FollowCursor();
  });
}

}  // namespace kolva::chart::qt
