#include "ui/dlgoptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "core/audiobackend.h"
#include "core/clientbook.h"
#include "core/codes.h"
#include "core/keycipher.h"
#include "core/messageboxport.h"
#include "core/networkfacts.h"
#include "core/settingnames.h"
#include "core/settingsstore.h"
#include "core/soundtype.h"
#include "core/trimmedtext.h"
#include "ui/dialogstyle.h"
#include "ui/filechooser.h"
#include "ui/optionspages.h"

namespace {

struct SoundTypeRow {
  const char* text;
  SoundType type;
};

// The order of the list, as the user knows it.
constexpr SoundTypeRow kSoundTypeRows[] = {
    {"GSM 8 kHz mono", SoundType::kGsm8},          {"G711 uLaw 8kHz", SoundType::kG711},
    {"PCM 8 kHz mono", SoundType::kPcm8Mono},      {"PCM 8 kHz stereo", SoundType::kPcm8Stereo},
    {"PCM 11kHz mono", SoundType::kPcm11Mono},     {"PCM 16 kHz mono", SoundType::kPcm16Mono},
    {"PCM 16 kHz stereo", SoundType::kPcm16Stereo}, {"PCM 22 kHz mono", SoundType::kPcm22Mono},
    {"PCM 22 kHz stereo", SoundType::kPcm22Stereo}, {"PCM 44 kHz stereo", SoundType::kPcm44Stereo},
    {"Speex 8 kHz mono", SoundType::kSpeex8Mono},   {"Speex 16 kHz mono", SoundType::kSpeex16Mono},
    {"Speex 16 kHz stereo", SoundType::kSpeex16Stereo}, {"Speex 32 kHz mono", SoundType::kSpeex32Mono},
    {"Speex 32 kHz stereo", SoundType::kSpeex32Stereo},
};

constexpr const char* kPortChanged =
    "Change of Udp port detected. Restart nedeed.\r\nOndrel will terminate. Hasta La Vista Baby!";
constexpr const char* kIllegalPort = "Illegal Udp port detected.";
constexpr int kMaxPort = 65535;
constexpr QColor kLampLit{0, 255, 0};
constexpr QColor kLampDark{0, 0, 0};

int RowOf(SoundType type) {
  for (int row = 0; row < int(std::size(kSoundTypeRows)); ++row) {
    if (kSoundTypeRows[row].type == type) return row;
  }
  return -1;
}

// The two frames of the sound test's blinking lamp.
QPixmap TestLampFrame(int frame) {
  QPixmap picture(10, 10);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QColor(0, 80, 0));
  painter.setBrush(frame == 0 ? QColor(0, 220, 0) : QColor(0, 90, 0));
  painter.drawEllipse(QRectF(0.5, 0.5, 9, 9));
  return picture;
}

void SetBold(QWidget* widget, bool bold) {
  QFont font = widget->font();
  font.setBold(bold);
  widget->setFont(font);
}

}  // namespace

TDlgOption::TDlgOption(const Ports& ports, TextLookup texts, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      settings_(ports.settings),
      position_(ports.settings, setting::kDlgOptionsX, setting::kDlgOptionsY),
      clients_(ports.clients),
      network_(ports.network),
      boxes_(ports.boxes),
      files_(ports.files),
      actions_(ports.actions),
      audio_(ports.audio),
      texts_(std::move(texts)) {
  setWindowTitle("Properties");
  setFont(DialogFont());
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  pages = new QTabWidget;
  pages->setFixedHeight(260);
  pages->addTab(network = new TNetworkPage, "Network");
  pages->addTab(sound = new TSoundPage, "Sound");
  pages->addTab(speex = new TSpeexPage, "Speex Codec Options");
  pages->addTab(options = new TOptionsPage, "Options");
  pages->addTab(access = new TAccessPage, "Access");
  pages->addTab(filters = new TFiltersPage, "Filters");
  // Every tab in sight: no page hides behind a scroll button.
  pages->setMinimumWidth(std::max(298, pages->tabBar()->sizeHint().width() + 8));
  layout->addWidget(pages);
  BuildButtonBar();
  layout->setSizeConstraint(QLayout::SetFixedSize);

  pages->setCurrentIndex(kNetwork);
  ApplyLanguage();
  FillLists();
  ConnectPendingChanges();
  ConnectImmediateControls();
}

TDlgOption::~TDlgOption() = default;

void TDlgOption::BuildButtonBar() {
  auto* bar = new QGroupBox;
  bar->setFixedHeight(40);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(10, 4, 6, 4);
  savingLamp = new QLabel;
  savingLamp->setFixedSize(19, 9);
  savingLamp->setAutoFillBackground(true);
  savingLamp->setToolTip("Light when saving");
  LightLamp(false);
  cancelButton = new QPushButton("&Cancel");
  acceptButton = new QPushButton("&Accept");
  okButton = new QPushButton("&OK");
  row->addWidget(savingLamp);
  row->addStretch(1);
  for (QPushButton* button : {cancelButton, acceptButton, okButton}) {
    button->setAutoDefault(false);
    row->addWidget(button);
  }
  static_cast<QVBoxLayout*>(layout())->addWidget(bar);
  connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
  connect(acceptButton, &QPushButton::clicked, this, &TDlgOption::OnAcceptClicked);
  connect(okButton, &QPushButton::clicked, this, &TDlgOption::OnOkClicked);
}

void TDlgOption::FillLists() {
  // Device n of a list is device n - 1 of the enumeration; 0 is the
  // system's default device.
  const auto fill = [this](QComboBox* list, int count, auto name, const char* setting, int& chosen) {
    list->addItem("system");
    for (int i = 0; i < count; ++i) {
      std::string text;
      if (name(i, text)) list->addItem(FromLatin1(text));
    }
    chosen = settings_.GetInt(setting);
    if (chosen < 0 || chosen >= list->count()) chosen = 0;
    settings_.SetInt(setting, chosen);
    list->setCurrentIndex(chosen);
  };
  fill(
      sound->micDeviceCombo, audio_.InputDeviceCount(),
      [this](int i, std::string& text) { return audio_.InputDeviceName(i, text); }, setting::kDeviceMc,
      micDevice_);
  fill(
      sound->speakerDeviceCombo, audio_.OutputDeviceCount(),
      [this](int i, std::string& text) { return audio_.OutputDeviceName(i, text); }, setting::kDeviceSp,
      speakerDevice_);
  for (const SoundTypeRow& row : kSoundTypeRows) sound->soundTypeCombo->addItem(row.text);
}

void TDlgOption::ConnectPendingChanges() {
  const auto mark = [this] { MarkChanged(); };
  connect(network->portEdit, &QLineEdit::textChanged, this, [this] { PortEdited(); });
  connect(network->userNameEdit, &QLineEdit::textChanged, this, mark);
  connect(network->dnsResolveCheck, &QCheckBox::toggled, this, mark);
  connect(network->autoConnectCombo, &QComboBox::currentIndexChanged, this, [this](int index) {
    network->dnsResolveCheck->setEnabled(index > 0);
    if (index <= 0) network->dnsResolveCheck->setChecked(false);
    MarkChanged();
  });
  connect(sound->lineInCheck, &QCheckBox::toggled, this, mark);
  for (QCheckBox* check : {sound->lowLatencyCheck, sound->echoCancelCheck, sound->noiseSuppressCheck})
    connect(check, &QCheckBox::toggled, this, mark);
  const auto deviceChosen = [this](int& chosen) {
    return [this, &chosen](int index) {
      if (loading_) return;
      chosen = index;
      SetSoundTest(false);
      MarkChanged();
    };
  };
  connect(sound->micDeviceCombo, &QComboBox::currentIndexChanged, this, deviceChosen(micDevice_));
  connect(sound->speakerDeviceCombo, &QComboBox::currentIndexChanged, this, deviceChosen(speakerDevice_));
  connect(sound->soundTypeCombo, &QComboBox::currentIndexChanged, this, [this](int row) {
    ShowSpeexTab(row);
    MarkChanged();
  });
  for (QComboBox* list : {speex->qualityCombo, speex->complexityCombo, speex->vbrQualityCombo}) {
    connect(list, &QComboBox::currentIndexChanged, this, mark);
  }
  for (QCheckBox* box : {speex->vbrCheck, speex->vadCheck, speex->dtxCheck, speex->enhancerCheck,
                         options->startInTrayCheck, access->autoAnswerCheck, access->restrictCheck}) {
    connect(box, &QCheckBox::toggled, this, mark);
  }
  connect(access->passwordCheck, &QCheckBox::toggled, this, [this](bool on) {
    access->passwordEdit->setEnabled(on);
    access->passwordCaption->setEnabled(on);
    MarkChanged();
  });
  connect(access->passwordEdit, &QLineEdit::textChanged, this, mark);
  connect(sound->soundTestButton, &QPushButton::clicked, this, &TDlgOption::OnSoundTestClicked);
  connect(speex->sendButton, &QPushButton::clicked, this, &TDlgOption::OnSendSpeexClicked);
  connect(options->ringTestButton, &QPushButton::clicked, this, [this] { ringTest_ = true; });
}

void TDlgOption::ConnectImmediateControls() {
  const auto now = [this](const char* setting, Effect effect) {
    return [this, setting, effect](int value) { WriteNow(setting, value, effect); };
  };
  const auto checkNow = [this](const char* setting, Effect effect) {
    return [this, setting, effect](bool on) { WriteNow(setting, on ? 1 : 0, effect); };
  };
  const Effect filtersReload = &OptionActions::ReloadFilters;
  connect(sound->preBufferSpin, &QSpinBox::valueChanged, this,
          now(setting::kPreBuffer, &OptionActions::ReloadPreBuffer));
  connect(options->scopeZoomSpin, &QSpinBox::valueChanged, this,
          now(setting::kScopeZoom, &OptionActions::ReloadScopeZoom));
  connect(options->logCheck, &QCheckBox::toggled, this, checkNow(setting::kLog, nullptr));
  connect(options->ringerOffCheck, &QCheckBox::toggled, this, checkNow(setting::kRinger, nullptr));
  connect(access->lockCodecCheck, &QCheckBox::toggled, this,
          checkNow(setting::kLockCodec, &OptionActions::ReloadCodecLock));
  connect(filters->bandpassCheck, &QCheckBox::toggled, this, &TDlgOption::OnBandpassClicked);
  connect(filters->frequencySpin, &QSpinBox::valueChanged, this, now(setting::kFilterBpFreq, filtersReload));
  connect(filters->gainSpin, &QSpinBox::valueChanged, this, now(setting::kFilterBpGain, filtersReload));
  connect(filters->qSpin, &QSpinBox::valueChanged, this, now(setting::kFilterBpQ, filtersReload));
  connect(filters->scaleSpin, &QSpinBox::valueChanged, this, now(setting::kFilterBpScale, filtersReload));
  connect(filters->cascadeSpin, &QSpinBox::valueChanged, this, now(setting::kFilterBpCascade, filtersReload));
  connect(filters->limiterCheck, &QCheckBox::toggled, this, checkNow(setting::kFilterLimiter, filtersReload));
  connect(options->ringerSelectButton, &QPushButton::clicked, this,
          [this] { ChooseFile(setting::kRingerFile, true); });
  connect(options->ringerDeselectButton, &QPushButton::clicked, this,
          [this] { ForgetFile(setting::kRingerFile); });
  connect(options->autoStartSelectButton, &QPushButton::clicked, this,
          [this] { ChooseFile(setting::kAutoStartFile, false); });
  connect(options->autoStartDeselectButton, &QPushButton::clicked, this,
          [this] { ForgetFile(setting::kAutoStartFile); });
}

void TDlgOption::WriteNow(const char* setting, int value, Effect effect) {
  if (loading_) return;
  settings_.SetInt(setting, value);
  LightLamp(true);
  if (effect) (actions_.*effect)();
  MarkChanged();
}

void TDlgOption::MarkChanged() {
  if (!loading_) acceptButton->setEnabled(true);
}

void TDlgOption::LightLamp(bool lit) {
  QPalette palette = savingLamp->palette();
  palette.setColor(QPalette::Window, lit ? kLampLit : kLampDark);
  savingLamp->setPalette(palette);
}

bool TDlgOption::SavingLampLit() const {
  return savingLamp->palette().color(QPalette::Window) == kLampLit;
}

void TDlgOption::PortEdited() {
  // Only digits come in, and a number past the last port is put right at
  // once. An emptied field stays empty, so that a new port can be typed in
  // its place; the save refuses it if it is left so.
  QLineEdit* edit = network->portEdit;
  const QString text = edit->text().trimmed();
  bool isNumber = false;
  const qlonglong value = text.toLongLong(&isNumber);
  if (!text.isEmpty() && !isNumber) {
    edit->setText("4444");
  } else if (isNumber && value > kMaxPort) {
    edit->setText(QString::number(kMaxPort));
  }
  MarkChanged();
}

void TDlgOption::ApplyLanguage() {
  const auto apply = [this](auto* control, const std::string& key) {
    control->setText(Translated(texts_, key, control->text()));
  };
  apply(options->ringerCaption, "RingerFile");
  apply(options->logCheck, "ConnectionLog");
  apply(sound->lineInCheck, "LineInLevel");
  apply(access->lockCodecCheck, "LockCodec");
  apply(options->ringerOffCheck, "Ringer");
  apply(filters->limiterCheck, "Limiter");
  apply(options->scopeZoomCaption, "ScopeZoom");
  apply(filters->cascadeCaption, "Cascades");
  apply(filters->scaleCaption, "ScaleFactor");
  apply(filters->gainCaption, "Gain");
  apply(filters->frequencyCaption, "CenterFreq");
  filters->bandpassGroup->setTitle(Translated(texts_, "Bandpass", filters->bandpassGroup->title()));
  apply(filters->bandpassCheck, "UseBandpass");
  apply(access->passwordCaption, "UseKey");
  apply(options->autoStartCaption, "AutoStartApp");
  apply(options->autoStartDeselectButton, "Deselect");
  apply(options->ringerDeselectButton, "Deselect");
  apply(options->autoStartSelectButton, "Select");
  apply(options->ringerSelectButton, "Select");
  apply(network->autoConnectCaption, "AutoCallOut");
  apply(network->dnsResolveCheck, "AutoCallOutDns");
  apply(network->addressCaption, "IpAddress");
  apply(network->portCaption, "Port");
  apply(network->userNameCaption, "Handle");
  apply(sound->soundTestButton, "TestSound");
  apply(options->ringTestButton, "TestSound");
  apply(access->autoAnswerCheck, "AutoAnswer");
  apply(access->restrictCheck, "AnswerRestrict");
  apply(options->startInTrayCheck, "StartTray");
  apply(sound->soundTypeCaption, "SoundCodec");
  apply(sound->preBufferCaption, "BufferTune");
  apply(acceptButton, "Accept");
  apply(cancelButton, "Cancel");
  apply(okButton, "OK");
  apply(speex->sendButton, "SpeexSend");
  apply(speex->dtxCheck, setting::kSpeexDtx);
  apply(speex->vadCheck, setting::kSpeexVad);
  apply(speex->vbrCheck, setting::kSpeexVbr);
  apply(speex->enhancerCheck, setting::kSpeexEnhancer);
  apply(speex->qualityCaption, setting::kSpeexQuality);
  apply(speex->complexityCaption, setting::kSpeexComplexity);
  apply(speex->vbrQualityCaption, setting::kSpeexVbrQuality);
  const std::pair<Page, const char*> captions[] = {{kSound, "Sound"},     {kNetwork, "Network"},
                                                   {kOptions, "Options"}, {kSpeex, "SpeexCodec"},
                                                   {kAccess, "Access"},   {kFilters, "Filters"}};
  for (const auto& [page, key] : captions) pages->setTabText(page, Translated(texts_, key, pages->tabText(page)));
  setWindowTitle(Translated(texts_, "Properties", windowTitle()));
  apply(speex->encoderCaption, "Encoder");
  apply(speex->decoderCaption, "Decoder");
}

void TDlgOption::Toggle() {
  if (isVisible()) {
    close();
    return;
  }
  show();
  raise();
  activateWindow();
}

void TDlgOption::showEvent(QShowEvent* event) {
  position_.Restore(*this);
  LoadControls();
  QDialog::showEvent(event);
}

void TDlgOption::StorePosition() {
  position_.Store(*this);
}

void TDlgOption::LoadControls() {
  loading_ = true;
  const auto flag = [this](const char* setting) { return settings_.GetInt(setting) != 0; };
  options->logCheck->setChecked(flag(setting::kLog));
  access->lockCodecCheck->setChecked(flag(setting::kLockCodec));
  options->ringerOffCheck->setChecked(flag(setting::kRinger));
  network->portEdit->setText(QString::number(settings_.GetInt(setting::kNetPort)));
  const int zoom = settings_.GetInt(setting::kScopeZoom);
  options->scopeZoomSpin->setValue(zoom > 0 ? zoom : 1);

  filters->bandpassCheck->setChecked(flag(setting::kFilterBp));
  filters->bandpassGroup->setEnabled(flag(setting::kFilterBp));
  filters->frequencySpin->setValue(settings_.GetInt(setting::kFilterBpFreq));
  filters->gainSpin->setValue(settings_.GetInt(setting::kFilterBpGain));
  filters->qSpin->setValue(settings_.GetInt(setting::kFilterBpQ));
  filters->scaleSpin->setValue(settings_.GetInt(setting::kFilterBpScale));
  filters->cascadeSpin->setValue(settings_.GetInt(setting::kFilterBpCascade));
  filters->limiterCheck->setChecked(flag(setting::kFilterLimiter));

  const bool keyOn = flag(setting::kKeyOn);
  access->passwordCheck->setChecked(keyOn);
  access->passwordEdit->setEnabled(keyOn);
  access->passwordCaption->setEnabled(keyOn);
  std::string key;
  if (settings_.GetString(setting::kKey, key)) keycipher::DecodeKey(key);
  access->passwordEdit->setText(FromLatin1(key));

  ShowFile(setting::kRingerFile);
  ShowFile(setting::kAutoStartFile);
  FillAutoConnect();

  std::string userName;
  settings_.GetString(setting::kUserName, userName);
  network->userNameEdit->setText(FromLatin1(userName));
  SetSoundTest(false);
  micDevice_ = std::clamp(settings_.GetInt(setting::kDeviceMc), 0, sound->micDeviceCombo->count() - 1);
  speakerDevice_ =
      std::clamp(settings_.GetInt(setting::kDeviceSp), 0, sound->speakerDeviceCombo->count() - 1);
  sound->micDeviceCombo->setCurrentIndex(micDevice_);
  sound->speakerDeviceCombo->setCurrentIndex(speakerDevice_);
  std::string own;
  for (const NetAddress& address : network_.OwnAddresses()) own += (own.empty() ? "" : ", ") + address.Text();
  network->ownAddressLabel->setText(FromLatin1(own));
  sound->lineInCheck->setChecked(flag(setting::kAudioSource));
  sound->lowLatencyCheck->setChecked(flag(setting::kLowLatency));
  sound->echoCancelCheck->setChecked(flag(setting::kEchoCancel));
  sound->noiseSuppressCheck->setChecked(flag(setting::kNoiseSuppress));
  options->startInTrayCheck->setChecked(flag(setting::kStartingTray));
  access->autoAnswerCheck->setChecked(flag(setting::kAlwaysAnswer));
  access->restrictCheck->setChecked(flag(setting::kAutoConnectRestrict));

  if (const auto type = SoundTypeOf(settings_.GetInt(setting::kSndType)); type && RowOf(*type) >= 0) {
    sound->soundTypeCombo->setCurrentIndex(RowOf(*type));
  }
  ShowSpeexTab(sound->soundTypeCombo->currentIndex());
  LoadSpeexOptions();
  sound->preBufferSpin->setValue(settings_.GetInt(setting::kPreBuffer));
  loading_ = false;
  acceptButton->setEnabled(false);
  cancelButton->setFocus();
}

void TDlgOption::LoadSpeexOptions() {
  const std::pair<const char*, QComboBox*> lists[] = {{setting::kSpeexQuality, speex->qualityCombo},
                                                      {setting::kSpeexComplexity, speex->complexityCombo},
                                                      {setting::kSpeexVbrQuality, speex->vbrQualityCombo}};
  for (const auto& [setting, list] : lists) {
    int value = settings_.GetInt(setting);
    // Nothing stored yet: the encoder's middle setting.
    if (value < 1 || value > 10) {
      value = 5;
      settings_.SetInt(setting, value);
    }
    list->setCurrentIndex(value - 1);
  }
  speex->vbrCheck->setChecked(settings_.GetInt(setting::kSpeexVbr) != 0);
  speex->enhancerCheck->setChecked(settings_.GetInt(setting::kSpeexEnhancer) != 0);
  speex->vadCheck->setChecked(settings_.GetInt(setting::kSpeexVad) != 0);
  speex->dtxCheck->setChecked(settings_.GetInt(setting::kSpeexDtx) != 0);
}

void TDlgOption::FillAutoConnect() {
  QComboBox* list = network->autoConnectCombo;
  list->clear();
  list->addItem(Translated(texts_, "None", "None"));
  std::string autoCall;
  settings_.GetString(setting::kAutoCallOutIp, autoCall);
  int chosen = 0;
  clients_.Rewind();
  for (std::string address, name; clients_.Next(address, name);) {
    list->addItem(FromLatin1(name));
    if (chosen == 0 && !autoCall.empty() && address == autoCall) chosen = list->count() - 1;
  }
  list->setCurrentIndex(chosen);
  network->dnsResolveCheck->setChecked(chosen != 0 && settings_.GetInt(setting::kAutoCallOutIpDns) != 0);
  network->dnsResolveCheck->setEnabled(chosen != 0);
}

void TDlgOption::ShowSpeexTab(int soundTypeRow) {
  pages->setTabVisible(kSpeex, soundTypeRow == kSpeex8Row);
}

void TDlgOption::ShowFile(const char* setting) {
  QLineEdit* field =
      std::string_view(setting) == setting::kRingerFile ? options->ringerFileField : options->autoStartField;
  std::string path;
  settings_.GetString(setting, path);
  const QString text = QString::fromLocal8Bit(path.c_str());
  field->setText(text);
  field->setToolTip(text);
}

void TDlgOption::ChooseFile(const char* setting, bool wavOnly) {
  std::string previous;
  settings_.GetString(setting, previous);
  const auto path =
      files_.Choose({wavOnly ? "Select ringer file" : "Select auto-start file",
                     wavOnly ? "Wav audio files (*.wav *.Wav *.WAV)" : "", "", previous, false});
  if (!path) return;  // the file chosen before stays
  if (path->size() > kMaxPathChars) {
    boxes_.ShowError("The path is too long (at most 255 characters): " + *path);
    return;
  }
  settings_.SetString(setting, *path);
  ShowFile(setting);
  LightLamp(true);
}

void TDlgOption::ForgetFile(const char* setting) {
  settings_.SetString(setting, "");
  ShowFile(setting);
  LightLamp(true);
}

void TDlgOption::SetSoundTest(bool on) {
  if (soundTest_ != on && soundTestHook_) soundTestHook_(on);
  soundTest_ = on;
  SetBold(sound->soundTestButton, on);
  if (!on) sound->soundTestLamp->hide();
}

void TDlgOption::OnSoundTestClicked() {
  const bool on = !soundTest_;
  if (on && acceptButton->isEnabled()) Save();
  SetSoundTest(on);
}

void TDlgOption::Refresh() {
  if (!isVisible()) return;
  LightLamp(false);
  if (!soundTest_) {
    sound->soundTestLamp->hide();
    return;
  }
  sound->soundTestLamp->setPixmap(TestLampFrame(lampFrame_));
  sound->soundTestLamp->show();
  lampFrame_ ^= 1;
}

void TDlgOption::OnSendSpeexClicked() {
  LightLamp(true);
  actions_.SendSpeexOptions({{code::kSpeexQuality, speex->qualityCombo->currentIndex() + 1},
                             {code::kSpeexComplexity, speex->complexityCombo->currentIndex() + 1},
                             {code::kSpeexVbrQuality, speex->vbrQualityCombo->currentIndex() + 1},
                             {code::kSpeexVbr, speex->vbrCheck->isChecked() ? 1 : 0},
                             {code::kSpeexVad, speex->vadCheck->isChecked() ? 1 : 0},
                             {code::kSpeexDtx, speex->dtxCheck->isChecked() ? 1 : 0}});
}

void TDlgOption::ClickBandpass(bool on) {
  // The box may not show the stored state while the dialog is hidden, so
  // the click acts even when the box is already as asked.
  const QSignalBlocker quiet(filters->bandpassCheck);
  filters->bandpassCheck->setChecked(on);
  OnBandpassClicked(on);
}

void TDlgOption::OnBandpassClicked(bool on) {
  filters->bandpassGroup->setEnabled(on);
  WriteNow(setting::kFilterBp, on ? 1 : 0, &OptionActions::ReloadFilters);
}

void TDlgOption::OnAcceptClicked() {
  LightLamp(true);
  Save();
}

void TDlgOption::OnOkClicked() {
  if (acceptButton->isEnabled()) Save();
  close();
}

bool TDlgOption::Store(const char* name, int32_t value) {
  const bool changed = settings_.GetInt(name) != value;
  settings_.SetInt(name, value);
  return changed;
}

void TDlgOption::Save() {
  // The devices open afresh (a moment's gap in a call) only for what they use.
  bool devices = Store(setting::kDeviceMc, micDevice_);
  devices |= Store(setting::kDeviceSp, speakerDevice_);
  devices |= Store(setting::kAudioSource, sound->lineInCheck->isChecked() ? 1 : 0);
  devices |= Store(setting::kLowLatency, sound->lowLatencyCheck->isChecked() ? 1 : 0);
  devices |= Store(setting::kEchoCancel, sound->echoCancelCheck->isChecked() ? 1 : 0);
  devices |= Store(setting::kNoiseSuppress, sound->noiseSuppressCheck->isChecked() ? 1 : 0);

  std::string userName = TrimmedText(ToLatin1(network->userNameEdit->text()));
  if (userName.size() < 3) {
    userName.clear();
    network->userNameEdit->clear();
  }
  settings_.SetString(setting::kUserName, userName.substr(0, 31));

  accepted_ = accepted_ || devices;
  settings_.SetInt(setting::kScopeZoom, options->scopeZoomSpin->value());
  actions_.ReloadScopeZoom();

  const bool keyOn = access->passwordCheck->isChecked();
  settings_.SetInt(setting::kKeyOn, keyOn ? 1 : 0);
  if (keyOn) {
    std::string key = ToLatin1(access->passwordEdit->text());
    keycipher::EncodeKey(key);
    settings_.SetString(setting::kKey, key);
  }
  settings_.SetInt(setting::kAutoConnectRestrict, access->restrictCheck->isChecked() ? 1 : 0);
  settings_.SetInt(setting::kAlwaysAnswer, access->autoAnswerCheck->isChecked() ? 1 : 0);
  settings_.SetInt(setting::kStartingTray, options->startInTrayCheck->isChecked() ? 1 : 0);
  SaveAutoConnect();
  SaveSoundType();
  const bool portChanged = SavePort();
  settings_.Save();
  acceptButton->setEnabled(false);
  // Last, so that everything is stored before the program goes.
  if (portChanged) actions_.Quit();
}

void TDlgOption::SaveAutoConnect() {
  QComboBox* list = network->autoConnectCombo;
  if (list->currentIndex() > 0) {
    const std::string chosen = ToLatin1(list->currentText());
    clients_.Rewind();
    for (std::string address, name; clients_.Next(address, name);) {
      // Of two clients with one name, the first in the list's order.
      if (name == chosen) {
        settings_.SetString(setting::kAutoCallOutIp, address);
        break;
      }
    }
  } else {
    settings_.SetString(setting::kAutoCallOutIp, "");
    network->dnsResolveCheck->setChecked(false);
  }
  settings_.SetInt(setting::kAutoCallOutIpDns, network->dnsResolveCheck->isChecked() ? 1 : 0);
}

void TDlgOption::SaveSoundType() {
  const int row = sound->soundTypeCombo->currentIndex();
  if (row < 0) return;
  // The Speex options reach the encoder when the sound system starts on Speex 8 kHz.
  bool restart = false;
  if (row == kSpeex8Row) {
    restart |= Store(setting::kSpeexQuality, speex->qualityCombo->currentIndex() + 1);
    restart |= Store(setting::kSpeexComplexity, speex->complexityCombo->currentIndex() + 1);
    restart |= Store(setting::kSpeexEnhancer, speex->enhancerCheck->isChecked() ? 1 : 0);
    restart |= Store(setting::kSpeexVbrQuality, speex->vbrQualityCombo->currentIndex() + 1);
    restart |= Store(setting::kSpeexVbr, speex->vbrCheck->isChecked() ? 1 : 0);
    restart |= Store(setting::kSpeexVad, speex->vadCheck->isChecked() ? 1 : 0);
    restart |= Store(setting::kSpeexDtx, speex->dtxCheck->isChecked() ? 1 : 0);
  }
  const SoundType type = kSoundTypeRows[row].type;
  restart |= Store(setting::kSndType, static_cast<int32_t>(WireCode(type)));
  // A restart breaks into a call and tells the peer: only for a change it needs.
  if (restart) actions_.SwitchSoundType(type);
}

bool TDlgOption::SavePort() {
  bool isNumber = false;
  const int port = network->portEdit->text().trimmed().toInt(&isNumber);
  // Port 0 would be put back to the default at the next start.
  if (!isNumber || port < 1 || port > kMaxPort) {
    boxes_.ShowError(kIllegalPort);
    return false;
  }
  if (port == settings_.GetInt(setting::kNetPort)) return false;
  settings_.SetInt(setting::kNetPort, port);
  boxes_.ShowInfo(kPortChanged);
  return true;
}

void TDlgOption::keyPressEvent(QKeyEvent* event) {
  // Ctrl+P shows the dialog from the main window and hides it from here.
  if (event->key() == Qt::Key_P && event->modifiers() == Qt::ControlModifier) {
    close();
    return;
  }
  // Ctrl+Tab and Ctrl+PageDown turn the pages wherever the focus is.
  const bool control = event->modifiers() & Qt::ControlModifier;
  const bool forward = event->key() == Qt::Key_Tab || event->key() == Qt::Key_PageDown;
  const bool back = event->key() == Qt::Key_Backtab || event->key() == Qt::Key_PageUp;
  if (control && (forward || back)) {
    StepPage(forward ? 1 : -1);
    return;
  }
  QDialog::keyPressEvent(event);
}

void TDlgOption::StepPage(int direction) {
  const int count = pages->count();
  int page = pages->currentIndex();
  for (int step = 0; step < count; ++step) {
    page = (page + direction + count) % count;
    if (pages->isTabVisible(page)) break;
  }
  pages->setCurrentIndex(page);
}

void TDlgOption::done(int result) {
  SetSoundTest(false);
  QDialog::done(result);
}
