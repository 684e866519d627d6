#include "ui/scopeview.h"

#include <QMouseEvent>
#include <QPainter>

TScopeView::TScopeView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TScopeView::Clear() {
  canvas_.fill(Qt::black);
  update();
}

void TScopeView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(0, 0, canvas_);
}

void TScopeView::resizeEvent(QResizeEvent*) {
  canvas_ = QImage(size(), QImage::Format_RGB32);
  canvas_.fill(Qt::black);
}

void TScopeView::mousePressEvent(QMouseEvent* event) {
  emit Clicked();
  event->accept();
}
