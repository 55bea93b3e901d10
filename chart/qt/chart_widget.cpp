// SPDX-License-Identifier: MIT
#include "chart/qt/chart_widget.h"

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

}  // namespace

ChartWidget::ChartWidget(QWidget* parent) : QWidget(parent) {
  auto canvas = std::make_unique<QtChartCanvas>();
  canvas_ = canvas.get();
  chart_ = std::make_unique<TChart>(std::move(canvas));
  chart_->SetRepaintRequest([this] { update(); });
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
  int inset = chart_->BorderWidth() + (chart_->BorderStyle() == bsSingle ? kSunkenEdgeWidth : 0);
  painter.translate(inset, inset);
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
  Guarded([this] { chart_->RestoreCursor(); });
}

}  // namespace kolva::chart::qt
