#include "ui/volumepanel.h"

#include <QCursor>
#include <QPainter>
#include <QSlider>
#include <QToolButton>
#include <QToolTip>
#include <algorithm>

#include "ui/levelmeter.h"
#include "ui/skin.h"

namespace {

struct Layout {
  QRect panel, button, slider;
  const char* background;
  const char* on;
  const char* muted;
  const char* hint;
};

// Places in the bottom bar and in the panel. The meter lies over the
// slider's track: left at 1.3 times the slider's left, 0.85 times as wide.
const Layout& LayoutOf(TVolumePanel::Side side) {
  static const Layout speaker{QRect(43, 8, 100, 28), QRect(4, 1, 18, 27), QRect(23, 13, 79, 14),
                              "speaker-panel",       "speaker-on",        "speaker-muted",
                              "Mute/Unmute speaker"};
  static const Layout microphone{QRect(148, 8, 95, 28),
                                 QRect(0, 1, 18, 27),
                                 QRect(19, 13, 79, 14),
                                 "mic-panel",
                                 "mic-on",
                                 "mic-muted",
                                 "Mute/Unmute Microphone/Line in"};
  return side == TVolumePanel::Side::kSpeaker ? speaker : microphone;
}

}  // namespace

TVolumePanel::TVolumePanel(Side side, QWidget* parent) : QWidget(parent), side_(side) {
  const Layout& layout = LayoutOf(side);
  setGeometry(layout.panel);
  setAttribute(Qt::WA_StyledBackground);

  mute_ = new QToolButton(this);
  mute_->setGeometry(layout.button);
  mute_->setCheckable(true);
  mute_->setAutoRaise(true);
  mute_->setFocusPolicy(Qt::NoFocus);
  mute_->setToolTip(layout.hint);
  mute_->setIconSize(layout.button.size());
  mute_->setIcon(skin::ButtonIcon(layout.on, layout.muted, layout.button.size(), QIcon::Normal, QIcon::On));
  mute_->setStyleSheet("QToolButton { border: none; padding: 0; background: transparent; }");
  connect(mute_, &QToolButton::clicked, this, [this](bool down) { emit MuteClicked(down); });

  slider_ = new QSlider(Qt::Horizontal, this);
  slider_->setGeometry(layout.slider);
  slider_->setRange(0, kMaximum);
  slider_->setPageStep(3276);
  slider_->setSingleStep(655);
  slider_->setTickPosition(QSlider::NoTicks);
  slider_->setFocusPolicy(Qt::NoFocus);
  slider_->setStyleSheet(
      "QSlider { background: transparent; }"
      "QSlider::groove:horizontal { height: 2px; background: rgb(90, 94, 104); margin: 0 2px; }"
      "QSlider::handle:horizontal { width: 12px; margin: -5px 0; border-radius: 3px;"
      "  background: rgb(201, 205, 214); border: 1px solid rgb(60, 62, 70); }"
      "QSlider::handle:horizontal:disabled { background: rgb(150, 152, 158); }");
  connect(slider_, &QSlider::sliderMoved, this, [this](int position) {
    ShowPosition(position);
    emit SliderMoved(position);
  });
  // A click on the track jumps a page; that is the user's move too.
  connect(slider_, &QSlider::actionTriggered, this, [this](int action) {
    if (action == QAbstractSlider::SliderMove) return;
    const int position = slider_->sliderPosition();
    ShowPosition(position);
    emit SliderMoved(position);
  });

  meter_ = new TLevelMeter(this);
  meter_->setGeometry(static_cast<int>(layout.slider.left() * 1.3), 7,
                      static_cast<int>(layout.slider.width() * 0.85), 6);
  meter_->setAttribute(Qt::WA_TransparentForMouseEvents);
  SetSlider(0, false);
}

void TVolumePanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QPixmap background = skin::Picture(LayoutOf(side_).background, size());
  if (background.isNull()) {
    painter.fillRect(rect(), QColor(192, 192, 192));
  } else {
    painter.drawPixmap(0, 0, background);
  }
}

void TVolumePanel::SetSlider(int position, bool enabled) {
  const QSignalBlocker quiet(slider_);
  slider_->setValue(std::clamp(position, 0, kMaximum));
  slider_->setEnabled(enabled);
}

void TVolumePanel::SetMeter(int level) {
  meter_->SetLevel(level);
}

void TVolumePanel::SetMuteDown(bool down) {
  mute_->setChecked(down);
}

int TVolumePanel::SliderPosition() const {
  return slider_->value();
}
bool TVolumePanel::SliderEnabled() const {
  return slider_->isEnabled();
}
bool TVolumePanel::MuteDown() const {
  return mute_->isChecked();
}
int TVolumePanel::MeterLevel() const {
  return meter_->Level();
}

void TVolumePanel::StepSlider(int delta) {
  if (!slider_->isEnabled()) return;
  const int position = std::clamp(slider_->value() + delta, 0, kMaximum);
  {
    const QSignalBlocker quiet(slider_);
    slider_->setValue(position);
  }
  ShowPosition(position);
  emit SliderMoved(position);
}

void TVolumePanel::ToggleMute() {
  mute_->setChecked(!mute_->isChecked());
  emit MuteClicked(mute_->isChecked());
}

void TVolumePanel::ShowPosition(int position) {
  // The hint tells the raw mixer value the slider now stands at.
  slider_->setToolTip(QString::number(position));
  if (isVisible()) QToolTip::showText(QCursor::pos(), slider_->toolTip(), slider_);
}
