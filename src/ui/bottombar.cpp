#include "ui/bottombar.h"

#include <QLabel>
#include <QPainter>
#include <QToolButton>
#include <algorithm>

#include "ui/skin.h"
#include "ui/volumepanel.h"

namespace {

QToolButton* AddCallButton(QWidget* parent, const QRect& place, const QString& picture, const QString& hint) {
  auto* button = new QToolButton(parent);
  button->setGeometry(place);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setToolTip(hint);
  button->setIconSize(place.size());
  button->setIcon(skin::ButtonIcon(picture, picture + "-disabled", place.size(), QIcon::Disabled));
  button->setStyleSheet("QToolButton { border: none; padding: 0; background: transparent; }");
  return button;
}

QLabel* AddLamp(QWidget* parent, const QRect& place, const QString& hint) {
  auto* lamp = new QLabel(parent);
  lamp->setGeometry(place);
  lamp->setToolTip(hint);
  lamp->setAutoFillBackground(true);
  return lamp;
}

void Light(QLabel* lamp, const QColor& colour) {
  QPalette palette = lamp->palette();
  palette.setColor(QPalette::Window, colour);
  lamp->setPalette(palette);
}

}  // namespace

TBottomBar::TBottomBar(QWidget* parent) : QWidget(parent) {
  setFixedHeight(kHeight);
  disconnectButton = AddCallButton(this, QRect(7, 8, 32, 22), "disconnect", "Disconnect");
  speakerPanel = new TVolumePanel(TVolumePanel::Side::kSpeaker, this);
  micPanel = new TVolumePanel(TVolumePanel::Side::kMicrophone, this);
  connectButton = AddCallButton(this, QRect(245, 8, 32, 22), "connect", "Connect");

  // The lamps sit in a small sunken frame over the top edge of the bar.
  auto* lamps = new QWidget(this);
  lamps->setGeometry(188, 1, 42, 8);
  lamps->setStyleSheet("QWidget#lamps { border: 1px solid rgb(90, 94, 104); background: rgb(40, 42, 48); }");
  lamps->setObjectName("lamps");
  lamps->setAttribute(Qt::WA_StyledBackground);
  systemKeyLamp = AddLamp(lamps, QRect(5, 2, 12, 4), "System key activated");
  restartLamp = AddLamp(lamps, QRect(23, 2, 12, 4), "Initiating Sound System");
  restartDark_.setSingleShot(true);
  connect(&restartDark_, &QTimer::timeout, this, [this] {
    restartOn_ = false;
    Light(restartLamp, QColor(0, 0, 0));
  });
  SetSystemKeyLamp(false);
  Light(restartLamp, QColor(0, 0, 0));
}

void TBottomBar::SetSystemKeyLamp(bool on) {
  systemKeyOn_ = on;
  Light(systemKeyLamp, on ? QColor(255, 203, 0) : QColor(0, 0, 0));
}

void TBottomBar::SetRestartLamp(bool on) {
  if (on) {
    restartDark_.stop();
    restartOn_ = true;
    restartLit_.start();
    Light(restartLamp, QColor(0, 255, 0));
    return;
  }
  if (!restartOn_ || restartDark_.isActive()) return;
  restartDark_.start(static_cast<int>(std::max<qint64>(0, kRestartLampMs - restartLit_.elapsed())));
}

void TBottomBar::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPixmap picture = skin::Picture("bottom-bar", size());
  if (picture.isNull()) {
    painter.fillRect(rect(), QColor(60, 63, 72));
  } else {
    painter.drawPixmap(0, 0, picture);
  }
}
