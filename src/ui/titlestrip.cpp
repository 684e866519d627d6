#include "ui/titlestrip.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

#include "ui/skin.h"

TTitleStrip::TTitleStrip(QWidget* parent) : QWidget(parent) {
  setFixedHeight(kHeight);
  setMouseTracking(true);
  properties_ = new QPushButton(this);
  properties_->setGeometry(79, 7, 24, 4);
  properties_->setFocusPolicy(Qt::NoFocus);
  properties_->setCursor(Qt::PointingHandCursor);
  properties_->setStyleSheet(
      "QPushButton { border: none; background: rgb(120, 124, 134); }"
      "QPushButton:hover { background: rgb(255, 203, 0); }");
  connect(properties_, &QPushButton::clicked, this, &TTitleStrip::PropertiesClicked);
}

bool TTitleStrip::InCloseZone(int x, int width) {
  return x > static_cast<int>(0.85 * width) && x < static_cast<int>(0.94 * width);
}

void TTitleStrip::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  update();
}

void TTitleStrip::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPixmap picture = skin::Picture(active_ ? "title-active" : "title-inactive", size());
  if (picture.isNull()) {
    painter.fillRect(rect(), active_ ? QColor(52, 56, 64) : QColor(96, 98, 104));
  } else {
    painter.drawPixmap(0, 0, picture);
  }
}

void TTitleStrip::mouseMoveEvent(QMouseEvent* event) {
  const int x = static_cast<int>(event->position().x());
  setCursor(InCloseZone(x, width()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
  if (event->buttons() & Qt::LeftButton) emit DragStarted();
}

void TTitleStrip::contextMenuEvent(QContextMenuEvent* event) {
  // X11 asks for the menu at the right button's press; a menu opened then
  // would take the release that sends the window to the tray.
  if (event->reason() == QContextMenuEvent::Mouse && InCloseZone(event->pos().x(), width())) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TTitleStrip::mouseReleaseEvent(QMouseEvent* event) {
  // Any button released in the zone: left, right or middle.
  if (InCloseZone(static_cast<int>(event->position().x()), width())) emit CloseZoneReleased();
}
