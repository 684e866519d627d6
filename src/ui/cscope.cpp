#include "ui/cscope.h"

#include <QPainter>

void CScope::DrawSpeaker(QImage& canvas, std::span<const int16_t> frame) {
  Draw(canvas, frame, Kind::kSpeaker);
}

void CScope::DrawMicrophone(QImage& canvas, std::span<const int16_t> frame) {
  Draw(canvas, frame, Kind::kMicrophone);
}

void CScope::Draw(QImage& canvas, std::span<const int16_t> frame, Kind kind) {
  const int width = canvas.width();
  const int height = canvas.height();
  const int n = static_cast<int>(frame.size());
  const int mid = height / 2;
  // A view wider than a frame has samples, or one too low to have a middle,
  // has nothing to scale by.
  if (frozen_ || width <= 0 || mid <= 0 || n < width) return;
  Trace& trace = kind == Kind::kSpeaker ? speaker_ : microphone_;
  if (!trace.used) {
    trace.used = true;
    trace.y = mid;
  }
  const double xScale = n / width;
  const double yScale = 32767 / mid;

  QPainter painter(&canvas);
  QPointF pen;
  if (trace.x >= width) {
    if (kind == Kind::kSpeaker) {
      trace.x = -1;
    } else {
      trace.x = 0;
      painter.setPen(QColor(0, 255, 255));
      painter.drawLine(QPointF(0, 0), QPointF(0, height));
      trace.x = -1;
    }
    pen = QPointF(-1, trace.y);
  } else {
    pen = QPointF(trace.x, trace.y);
  }
  const QPen trail(kind == Kind::kSpeaker ? QColor(255, 255, 0) : QColor(0, 255, 255));
  const QPen column(QColor(128, 128, 128));
  for (int i = 0; i < n; ++i) {
    const double v = static_cast<double>(frame[static_cast<std::size_t>(i)]) * zoom_;
    const int x = static_cast<int>(i / xScale);
    const int y = static_cast<int>(v / yScale + mid);
    trace.x = x;
    trace.y = y;
    painter.setPen(trail);
    painter.drawLine(pen, QPointF(x, y));
    if (kind == Kind::kSpeaker) {
      painter.setPen(column);
      painter.drawLine(QPointF(x + 1, 0), QPointF(x + 1, height));
    }
    pen = QPointF(x, y);
  }
}
