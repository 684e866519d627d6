#pragma once

#include <QWidget>

class QPushButton;

// The window's title strip: its picture (brighter while the window is
// active), a close zone near its right end that sends the window to the
// tray, the thin properties button, and a handle to drag the window by.
class TTitleStrip : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHeight = 14;

  explicit TTitleStrip(QWidget* parent = nullptr);

  // Strictly between 85 % and 94 % of the strip's width, both cut to whole
  // pixels: on a strip 293 wide, 250 to 274.
  static bool InCloseZone(int x, int width);

  void SetActive(bool active);
  bool Active() const { return active_; }
  QPushButton& PropertiesButton() const { return *properties_; }

 signals:
  void CloseZoneReleased();
  void DragStarted();
  void PropertiesClicked();

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool active_ = true;
  QPushButton* properties_;
};
