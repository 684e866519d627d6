#pragma once

#include <QWidget>

class QSlider;
class QToolButton;
class TLevelMeter;

// One volume panel of the bottom bar: a mute toggle, the volume slider of
// the device's mixer control and the level meter above it. The speaker's
// and the microphone's differ only in their pictures and places.
class TVolumePanel : public QWidget {
  Q_OBJECT
 public:
  enum class Side { kSpeaker, kMicrophone };
  static constexpr int kMaximum = 65535;
  static constexpr int kKeyStep = 1000;

  TVolumePanel(Side side, QWidget* parent = nullptr);

  // From the program: no signal comes back for these.
  void SetSlider(int position, bool enabled);
  void SetMeter(int level);
  void SetMuteDown(bool down);

  int SliderPosition() const;
  bool SliderEnabled() const;
  bool MuteDown() const;
  int MeterLevel() const;
  QToolButton& MuteButton() const { return *mute_; }
  QSlider& Slider() const { return *slider_; }

  // A keyboard step of the slider, as if the user had moved it; nothing
  // while the slider is disabled. Clamped to 0..65535.
  void StepSlider(int delta);
  // The mute button pressed from the keyboard: toggled, then clicked.
  void ToggleMute();

 signals:
  void MuteClicked(bool down);
  void SliderMoved(int position);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void ShowPosition(int position);

  const Side side_;
  QToolButton* mute_;
  QSlider* slider_;
  TLevelMeter* meter_;
};
