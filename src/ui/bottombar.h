#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QToolButton;
class TVolumePanel;

// The bar under the pages: Disconnect at the left, the speaker and
// microphone panels, the two lamps (system key, sound system starting) and
// Connect at the right.
class TBottomBar : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHeight = 42;
  // A restart takes a few milliseconds; its lamp stays lit long enough to be seen.
  static constexpr int kRestartLampMs = 400;

  explicit TBottomBar(QWidget* parent = nullptr);

  QToolButton* disconnectButton;
  QToolButton* connectButton;
  TVolumePanel* speakerPanel;
  TVolumePanel* micPanel;
  QLabel* systemKeyLamp;
  QLabel* restartLamp;

  void SetSystemKeyLamp(bool on);
  // Going dark waits until the lamp has been lit for kRestartLampMs.
  void SetRestartLamp(bool on);
  bool SystemKeyLampOn() const { return systemKeyOn_; }
  bool RestartLampOn() const { return restartOn_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool systemKeyOn_ = false;
  bool restartOn_ = false;
  QElapsedTimer restartLit_;
  QTimer restartDark_;
};
