#include "ui/optionspages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>

#include "ui/skin.h"

namespace {

QGridLayout* Grid(QWidget* page) {
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(8, 8, 8, 8);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);
  return grid;
}

QLabel* Caption(const QString& text, bool bold = false) {
  auto* label = new QLabel(text);
  if (bold) {
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
  }
  return label;
}

// An up-down whose number is changed only by its arrows or the arrow keys.
QSpinBox* UpDown(int minimum, int maximum, int step) {
  auto* spin = new QSpinBox;
  spin->setRange(minimum, maximum);
  spin->setSingleStep(step);
  if (auto* field = spin->findChild<QLineEdit*>()) field->setReadOnly(true);
  spin->setFixedWidth(72);
  return spin;
}

QComboBox* OneToTen() {
  auto* combo = new QComboBox;
  for (int i = 1; i <= 10; ++i) combo->addItem(QString::number(i));
  combo->setFixedWidth(56);
  return combo;
}

// The read-only one-line fields that show a chosen file.
QLineEdit* FileField() {
  auto* field = new QLineEdit;
  field->setReadOnly(true);
  QPalette palette = field->palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
  field->setPalette(palette);
  return field;
}

QLabel* Picture(const QString& name) {
  auto* label = new QLabel;
  label->setPixmap(skin::Picture(name, {20, 20}));
  label->setFixedSize(20, 20);
  return label;
}

}  // namespace

TNetworkPage::TNetworkPage(QWidget* parent) : QWidget(parent) {
  QGridLayout* grid = Grid(this);
  addressCaption = Caption("ip address:");
  ownAddressLabel = new QLabel;
  QPalette palette = ownAddressLabel->palette();
  palette.setColor(QPalette::WindowText, palette.color(QPalette::Highlight));
  ownAddressLabel->setPalette(palette);
  // A computer on several networks has an address on each.
  ownAddressLabel->setWordWrap(true);
  portCaption = Caption("port udp:");
  portEdit = new QLineEdit("4444");
  portEdit->setFixedWidth(72);
  portEdit->setMaxLength(5);
  portEdit->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), portEdit));
  userNameCaption = Caption("Your handle:");
  userNameEdit = new QLineEdit;
  userNameEdit->setMaxLength(28);
  autoConnectCaption = Caption("Connect to this client at start");
  autoConnectCombo = new QComboBox;
  dnsResolveCheck = new QCheckBox("Use DNS to resolve ip address ");
  grid->addWidget(addressCaption, 0, 0);
  grid->addWidget(ownAddressLabel, 0, 1);
  grid->addWidget(portCaption, 1, 0);
  grid->addWidget(portEdit, 1, 1, Qt::AlignLeft);
  grid->addWidget(userNameCaption, 2, 0);
  grid->addWidget(userNameEdit, 2, 1);
  grid->addWidget(autoConnectCaption, 3, 0, 1, 2);
  grid->addWidget(autoConnectCombo, 4, 0, 1, 2);
  grid->addWidget(dnsResolveCheck, 5, 0, 1, 2);
  grid->setRowStretch(6, 1);
  grid->setColumnStretch(1, 1);
}

TSoundPage::TSoundPage(QWidget* parent) : QWidget(parent) {
  QGridLayout* grid = Grid(this);
  micDeviceCombo = new QComboBox;
  lineInCheck = new QCheckBox("Line In level control instead of Microphone");
  speakerDeviceCombo = new QComboBox;
  soundTestButton = new QPushButton("&Test sound");
  soundTestLamp = new QLabel;
  soundTestLamp->setFixedSize(11, 11);
  soundTestLamp->hide();
  soundTypeCaption = Caption("Sound Codec");
  soundTypeCombo = new QComboBox;
  preBufferCaption = Caption("Buffer tune");
  preBufferSpin = UpDown(3, 100, 1);
  const QString bufferHint = "Number of sample segments  to buffer before playing the sound";
  preBufferCaption->setToolTip(bufferHint);
  preBufferSpin->setToolTip(bufferHint);
  grid->addWidget(Picture("mic-on"), 0, 0);
  grid->addWidget(micDeviceCombo, 0, 1, 1, 3);
  grid->addWidget(lineInCheck, 1, 1, 1, 3);
  grid->addWidget(Picture("speaker-on"), 2, 0);
  grid->addWidget(speakerDeviceCombo, 2, 1, 1, 3);
  grid->addWidget(soundTestButton, 3, 1);
  grid->addWidget(soundTestLamp, 3, 2, Qt::AlignLeft);
  grid->addWidget(soundTypeCaption, 4, 0, 1, 2);
  grid->addWidget(soundTypeCombo, 5, 0, 1, 4);
  grid->addWidget(preBufferCaption, 6, 0, 1, 2);
  grid->addWidget(preBufferSpin, 7, 0, 1, 2, Qt::AlignLeft);
  lowLatencyCheck = new QCheckBox("Low latency playout");
  lowLatencyCheck->setToolTip("Keep only as much sound waiting as the network's delays call for");
  echoCancelCheck = new QCheckBox("Echo cancellation");
  echoCancelCheck->setToolTip("Take the loudspeaker's sound out of what the microphone hears");
  noiseSuppressCheck = new QCheckBox("Noise suppression");
  noiseSuppressCheck->setToolTip("Quiet steady background noise in what the microphone hears");
  grid->addWidget(lowLatencyCheck, 6, 2, 1, 2);
  grid->addWidget(echoCancelCheck, 7, 2, 1, 2);
  grid->addWidget(noiseSuppressCheck, 8, 2, 1, 2);
  grid->setRowStretch(9, 1);
  grid->setColumnStretch(3, 1);
}

TSpeexPage::TSpeexPage(QWidget* parent) : QWidget(parent) {
  QGridLayout* grid = Grid(this);
  encoderCaption = Caption("Encoder (Tx)", true);
  qualityCaption = Caption("Speech quality");
  qualityCombo = OneToTen();
  complexityCaption = Caption("CPU complexity");
  complexityCombo = OneToTen();
  vbrCheck = new QCheckBox("VBR variable bitrate");
  vbrQualityCaption = Caption("VBR quality");
  vbrQualityCombo = OneToTen();
  vadCheck = new QCheckBox("VAD - voice activity detection");
  dtxCheck = new QCheckBox("DTX - discontinuous transmission");
  sendButton = new QPushButton("S&end Encoder Options To Client");
  sendButton->setToolTip("Not saved on client");
  decoderCaption = Caption("Decoder (Rx)", true);
  enhancerCheck = new QCheckBox("Enhancer");
  grid->addWidget(encoderCaption, 0, 0, 1, 2);
  grid->addWidget(qualityCaption, 1, 0);
  grid->addWidget(qualityCombo, 1, 1);
  grid->addWidget(complexityCaption, 2, 0);
  grid->addWidget(complexityCombo, 2, 1);
  grid->addWidget(vbrCheck, 3, 0, 1, 2);
  grid->addWidget(vbrQualityCaption, 4, 0);
  grid->addWidget(vbrQualityCombo, 4, 1);
  grid->addWidget(vadCheck, 5, 0, 1, 2);
  grid->addWidget(dtxCheck, 6, 0, 1, 2);
  grid->addWidget(sendButton, 7, 0, 1, 2);
  grid->addWidget(decoderCaption, 8, 0, 1, 2);
  grid->addWidget(enhancerCheck, 9, 0, 1, 2);
  grid->setRowStretch(10, 1);
  grid->setColumnStretch(2, 1);
}

TOptionsPage::TOptionsPage(QWidget* parent) : QWidget(parent) {
  QGridLayout* grid = Grid(this);
  scopeZoomCaption = Caption("Scope Zoom");
  scopeZoomSpin = UpDown(1, 100, 1);
  startInTrayCheck = new QCheckBox("Start in tray");
  logCheck = new QCheckBox("Use connection log");
  ringerOffCheck = new QCheckBox("Disable connection ringer");
  ringerCaption = Caption("External ringer Wav file");
  ringerFileField = FileField();
  ringerSelectButton = new QPushButton("Select");
  ringerDeselectButton = new QPushButton("Deselect");
  ringTestButton = new QPushButton("Test sound");
  autoStartCaption = Caption("Auto Start Application");
  autoStartField = FileField();
  autoStartSelectButton = new QPushButton("&Select");
  autoStartDeselectButton = new QPushButton("&Deselect");
  grid->addWidget(scopeZoomCaption, 0, 0);
  grid->addWidget(scopeZoomSpin, 0, 1, 1, 2, Qt::AlignLeft);
  grid->addWidget(startInTrayCheck, 1, 0, 1, 3);
  grid->addWidget(logCheck, 2, 0, 1, 3);
  grid->addWidget(ringerOffCheck, 3, 0, 1, 3);
  grid->addWidget(ringerCaption, 4, 0, 1, 3);
  grid->addWidget(ringerFileField, 5, 0, 1, 3);
  grid->addWidget(ringerSelectButton, 6, 0);
  grid->addWidget(ringerDeselectButton, 6, 1);
  grid->addWidget(ringTestButton, 6, 2);
  grid->addWidget(autoStartCaption, 7, 0, 1, 3);
  grid->addWidget(autoStartField, 8, 0, 1, 3);
  grid->addWidget(autoStartSelectButton, 9, 0);
  grid->addWidget(autoStartDeselectButton, 9, 1);
  grid->setRowStretch(10, 1);
}

TAccessPage::TAccessPage(QWidget* parent) : QWidget(parent) {
  QGridLayout* grid = Grid(this);
  autoAnswerCheck = new QCheckBox("Auto answer");
  restrictCheck = new QCheckBox("Restrict auto answer to client list ip numbers");
  passwordCheck = new QCheckBox;
  passwordCaption = Caption("Use this password when connecting");
  passwordEdit = new QLineEdit;
  passwordEdit->setEchoMode(QLineEdit::Password);
  // The stored form holds 200 bytes, the last of them the end of the text.
  passwordEdit->setMaxLength(199);
  passwordEdit->setStyleSheet("lineedit-password-character: 35");  // "#"
  lockCodecCheck = new QCheckBox("Rejects client that uses another codec.");
  grid->addWidget(autoAnswerCheck, 0, 0, 1, 2);
  grid->addWidget(restrictCheck, 1, 0, 1, 2);
  grid->addWidget(passwordCheck, 2, 0);
  grid->addWidget(passwordCaption, 2, 1);
  grid->addWidget(passwordEdit, 3, 1);
  grid->addWidget(lockCodecCheck, 4, 0, 1, 2);
  grid->setRowStretch(5, 1);
  grid->setColumnStretch(1, 1);
}

TFiltersPage::TFiltersPage(QWidget* parent) : QWidget(parent) {
  QGridLayout* grid = Grid(this);
  bandpassCheck = new QCheckBox("Use Bandpass");
  QFont bold = bandpassCheck->font();
  bold.setBold(true);
  bandpassCheck->setFont(bold);
  bandpassGroup = new QGroupBox("Bandpass");
  auto* group = new QGridLayout(bandpassGroup);
  group->setContentsMargins(8, 4, 8, 4);
  group->setVerticalSpacing(3);
  frequencyCaption = Caption("Center frequency Hz");
  frequencySpin = UpDown(300, 22000, 25);
  gainCaption = Caption("Gain +15dB to -15dB");
  gainSpin = UpDown(-15, 15, 1);
  qCaption = Caption("Q");
  qSpin = UpDown(1, 100, 1);
  scaleCaption = Caption("Scale factor");
  scaleSpin = UpDown(1, 40, 1);
  cascadeCaption = Caption("Cascades");
  cascadeSpin = UpDown(0, 20, 1);
  const std::pair<QLabel*, QSpinBox*> rows[] = {{frequencyCaption, frequencySpin},
                                                {gainCaption, gainSpin},
                                                {qCaption, qSpin},
                                                {scaleCaption, scaleSpin},
                                                {cascadeCaption, cascadeSpin}};
  int row = 0;
  for (const auto& [caption, spin] : rows) {
    group->addWidget(caption, row, 0);
    group->addWidget(spin, row, 1);
    ++row;
  }
  limiterCheck = new QCheckBox("Input Limiter");
  grid->addWidget(bandpassCheck, 0, 0);
  grid->addWidget(bandpassGroup, 1, 0);
  grid->addWidget(limiterCheck, 2, 0);
  grid->setRowStretch(3, 1);
}
