#include "ui/levelmeter.h"

#include <QPainter>
#include <algorithm>

TLevelMeter::TLevelMeter(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TLevelMeter::SetLevel(int level) {
  level = std::clamp(level, 0, kMaximum);
  if (level == level_) return;
  level_ = level;
  update();
}

void TLevelMeter::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  const int filled = static_cast<int>(static_cast<int64_t>(width()) * level_ / kMaximum);
  painter.fillRect(QRect(0, 0, filled, height()), QColor(166, 202, 240));
}
