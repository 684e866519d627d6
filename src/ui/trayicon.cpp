#include "ui/trayicon.h"

#include <QMenu>

#include "ui/skin.h"

namespace {

// The image list's tray frames, at the sizes trays show icons at.
QIcon FramePicture(int frame) {
  QIcon icon;
  for (const int size : {16, 22, 32, 48}) icon.addPixmap(skin::Image(frame, size));
  return icon;
}

}  // namespace

TTrayIcon::TTrayIcon(const QString& hint, std::function<bool()> trayHost, QObject* parent)
    : QObject(parent), trayHost_(std::move(trayHost)), menu_(std::make_unique<QMenu>()) {
  menu_->addAction("Show", this, &TTrayIcon::ShowRequested);
  menu_->addAction("Quit", this, &TTrayIcon::QuitRequested);
  icon_.setContextMenu(menu_.get());
  icon_.setToolTip(hint);
  icon_.setIcon(FramePicture(frame_));
  connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) emit ShowRequested();
  });
  if (trayHost_()) icon_.show();
}

TTrayIcon::~TTrayIcon() = default;

void TTrayIcon::ShowMessage(const QString& title, const QString& text) {
  if (icon_.isVisible()) icon_.showMessage(title, text, QSystemTrayIcon::Information);
}

void TTrayIcon::SetFrame(int frame) {
  if (frame == frame_) return;
  frame_ = frame;
  icon_.setIcon(FramePicture(frame));
}

void TTrayIcon::ApplyLanguage(const QString& show, const QString& quit) {
  const QList<QAction*> items = menu_->actions();
  if (!show.isEmpty()) items.at(0)->setText(show);
  if (!quit.isEmpty()) items.at(1)->setText(quit);
}
