#include "ui/trayicon.h"

#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <array>

namespace {

// A round mark with a handset, in the colour of the state: grey idle,
// two shades of amber while ringing (so the icon flashes), three greens
// that pulse during a call.
QIcon DrawFrame(int frame) {
  struct Look {
    QColor fill;
    int ring;  // rings around the mark, 0 to 2
  };
  static const std::array<Look, TTrayIcon::kLastFrame - TTrayIcon::kFirstFrame + 1> kLooks{{
      {QColor(0x70, 0x78, 0x80), 0},
      {QColor(0xF0, 0xA0, 0x20), 1},
      {QColor(0xC0, 0x60, 0x10), 2},
      {QColor(0x30, 0xA0, 0x40), 0},
      {QColor(0x40, 0xB8, 0x50), 1},
      {QColor(0x50, 0xD0, 0x60), 2},
  }};
  const Look& look = kLooks[static_cast<std::size_t>(
      std::clamp(frame, TTrayIcon::kFirstFrame, TTrayIcon::kLastFrame) - TTrayIcon::kFirstFrame)];
  QPixmap pixmap(32, 32);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(look.fill);
  p.drawEllipse(QRectF(3, 3, 26, 26));
  p.setPen(QPen(Qt::white, 1.5));
  p.setBrush(Qt::NoBrush);
  for (int r = 0; r < look.ring; ++r) p.drawEllipse(QRectF(0.75 + r, 0.75 + r, 30.5 - 2 * r, 30.5 - 2 * r));
  // The handset: two ear pieces joined by a curved grip.
  p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
  p.drawArc(QRectF(9, 9, 14, 14), 200 * 16, 140 * 16);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::white);
  p.drawRoundedRect(QRectF(8, 15, 5, 7), 2, 2);
  p.drawRoundedRect(QRectF(19, 15, 5, 7), 2, 2);
  return QIcon(pixmap);
}

}  // namespace

TTrayIcon::TTrayIcon(const QString& hint, std::function<bool()> trayHost, QObject* parent)
    : QObject(parent), trayHost_(std::move(trayHost)), menu_(std::make_unique<QMenu>()) {
  menu_->addAction("Show", this, &TTrayIcon::ShowRequested);
  menu_->addAction("Quit", this, &TTrayIcon::QuitRequested);
  icon_.setContextMenu(menu_.get());
  icon_.setToolTip(hint);
  icon_.setIcon(DrawFrame(frame_));
  connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Trigger) emit ShowRequested();
  });
  if (trayHost_()) icon_.show();
}

TTrayIcon::~TTrayIcon() = default;

void TTrayIcon::SetFrame(int frame) {
  if (frame == frame_) return;
  frame_ = frame;
  icon_.setIcon(DrawFrame(frame));
}

void TTrayIcon::ApplyLanguage(const QString& show, const QString& quit) {
  const QList<QAction*> items = menu_->actions();
  if (!show.isEmpty()) items.at(0)->setText(show);
  if (!quit.isEmpty()) items.at(1)->setText(quit);
}
