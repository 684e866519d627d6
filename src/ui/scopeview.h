#pragma once

#include <QImage>
#include <QWidget>

// The black box a line page shows its scope in. The scope draws into the
// box's canvas, which the box paints as it stands; a click asks to freeze
// or unfreeze the scope.
class TScopeView : public QWidget {
  Q_OBJECT
 public:
  explicit TScopeView(QWidget* parent = nullptr);

  QImage& Canvas() { return canvas_; }
  void Clear();

 signals:
  void Clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  QImage canvas_;
};
