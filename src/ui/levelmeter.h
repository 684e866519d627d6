#pragma once

#include <QWidget>

// A thin level bar, light blue on black, 0 to 65535.
class TLevelMeter : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kMaximum = 65535;

  explicit TLevelMeter(QWidget* parent = nullptr);

  void SetLevel(int level);
  int Level() const { return level_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int level_ = 0;
};
