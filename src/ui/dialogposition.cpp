#include "ui/dialogposition.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "core/settingsstore.h"

void CDialogPosition::Restore(QWidget& dialog) {
  if (restored_) return;
  restored_ = true;
  dialog.adjustSize();
  const int x = settings_.GetInt(xSetting_);
  const int y = settings_.GetInt(ySetting_);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  if ((x != 0 || y != 0) && x <= area.width() && y <= area.height()) {
    dialog.move(x, y);
  } else {
    dialog.move(area.width() / 2 - dialog.width() / 2, area.height() / 2 - dialog.height() / 2);
  }
}

void CDialogPosition::Store(const QWidget& dialog) {
  if (!restored_ || dialog.x() < 1 || dialog.y() <= 0) return;
  settings_.SetInt(xSetting_, dialog.x());
  settings_.SetInt(ySetting_, dialog.y());
}
