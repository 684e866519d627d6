#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>

#include "audio/cfilters.h"
#include "audio/soundtypes.h"
#include "core/keycipher.h"
#include "fakes/cfakeaudiobackend.h"
#include "ui/dlgoptions.h"
#include "ui/optionspages.h"
#include "unit/ui/dialogfixture.h"

namespace {

class TDlgOptionTest : public DialogFixture {
 protected:
  TDlgOptionTest() {
    audio.inputNames = {"Built-in Microphone", "USB Headset Microphone"};
    audio.outputNames = {"Built-in Speakers"};
    params.SetInt("netPort", 4444);
    params.SetInt("SndType", 9050);
    params.SetInt("PreBuffer", 6);
  }
  std::unique_ptr<TDlgOption> Make(TextLookup texts = {}) {
    auto dialog = std::make_unique<TDlgOption>(
        TDlgOption::Ports{settings, contacts, network, boxes, files, optionActions, audio}, std::move(texts));
    dialog->SetSoundTestHook([this](bool on) { soundTests.push_back(on); });
    return dialog;
  }
  std::unique_ptr<TDlgOption> Shown() {
    auto dialog = Make();
    dialog->show();
    optionActions.asked.clear();
    settings.writes.clear();
    return dialog;
  }
  const std::vector<std::string>& Asked() const { return optionActions.asked; }

  CFakeAudioBackend audio;
  std::vector<bool> soundTests;
};

TEST_F(TDlgOptionTest, UpDownsHoldTheirLimitsAndWriteAtOnce) {
  auto dialog = Shown();
  struct Case {
    QSpinBox* spin;
    const char* setting;
    int minimum, maximum, step;
    const char* effect;
  };
  const Case cases[] = {
      {dialog->sound->preBufferSpin, "PreBuffer", 3, 100, 1, "pre-buffer"},
      {dialog->options->scopeZoomSpin, "scopeZoom", 1, 100, 1, "scope zoom"},
      {dialog->filters->frequencySpin, "FilterBpFreq", 300, 22000, 25, "filters"},
      {dialog->filters->gainSpin, "FilterBpGain", -15, 15, 1, "filters"},
      {dialog->filters->qSpin, "FilterBpQ", 1, 100, 1, "filters"},
      {dialog->filters->scaleSpin, "FilterBpScale", 1, 40, 1, "filters"},
      {dialog->filters->cascadeSpin, "FilterBpCascade", 0, 20, 1, "filters"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    EXPECT_EQ(c.spin->minimum(), c.minimum);
    EXPECT_EQ(c.spin->maximum(), c.maximum);
    EXPECT_EQ(c.spin->singleStep(), c.step);
    optionActions.asked.clear();
    dialog->Refresh();
    c.spin->setValue(c.minimum);
    c.spin->setValue(c.maximum + 1000);
    EXPECT_EQ(params.GetInt(c.setting), c.maximum);
    c.spin->stepBy(-1);
    EXPECT_EQ(params.GetInt(c.setting), c.maximum - c.step);
    EXPECT_TRUE(dialog->SavingLampLit());
    EXPECT_TRUE(dialog->acceptButton->isEnabled());
    ASSERT_FALSE(Asked().empty());
    EXPECT_EQ(Asked().back(), c.effect);
  }
  dialog->Refresh();
  EXPECT_FALSE(dialog->SavingLampLit());
}

TEST_F(TDlgOptionTest, CheckBoxesThatActAtOnce) {
  auto dialog = Shown();
  struct Case {
    QCheckBox* box;
    const char* setting;
    const char* effect;  // nullptr: none
  };
  const Case cases[] = {
      {dialog->options->logCheck, "log", nullptr},
      {dialog->options->ringerOffCheck, "ringer", nullptr},
      {dialog->access->lockCodecCheck, "lockCodec", "codec lock"},
      {dialog->filters->limiterCheck, "FilterLimiter", "filters"},
      {dialog->filters->bandpassCheck, "FilterBp", "filters"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.setting);
    optionActions.asked.clear();
    c.box->click();
    EXPECT_EQ(params.GetInt(c.setting), 1);
    c.box->click();
    EXPECT_EQ(params.GetInt(c.setting), 0);
    const std::vector<std::string> expected =
        c.effect ? std::vector<std::string>{c.effect, c.effect} : std::vector<std::string>{};
    EXPECT_EQ(Asked(), expected);
  }
  // The bandpass settings can be changed only while the bandpass is on.
  EXPECT_FALSE(dialog->filters->bandpassGroup->isEnabled());
  dialog->ClickBandpass(true);
  EXPECT_TRUE(dialog->filters->bandpassGroup->isEnabled());
  EXPECT_EQ(params.GetInt("FilterBp"), 1);
}

TEST_F(TDlgOptionTest, TheMainWindowsFilterButtonActsEvenWhenTheBoxIsStale) {
  auto dialog = Make();  // never shown: the box does not show the setting
  params.SetInt("FilterBp", 1);
  dialog->ClickBandpass(false);
  EXPECT_EQ(params.GetInt("FilterBp"), 0);
  EXPECT_EQ(Asked(), std::vector<std::string>{"filters"});
}

TEST_F(TDlgOptionTest, AcceptWritesInItsOrderAndAsksForASoundRestart) {
  contacts.Add("10.0.0.5", "Desk");
  params.SetString("AutoCallOutIp", "10.0.0.5");
  auto dialog = Shown();
  dialog->network->userNameEdit->setText("  Anna  ");
  dialog->access->passwordCheck->setChecked(true);
  dialog->access->passwordEdit->setText("secret");
  dialog->sound->echoCancelCheck->setChecked(true);
  dialog->OnAcceptClicked();
  const std::vector<std::string> order = {
      "deviceMc",          "deviceSp",      "audioSource", "LowLatency", "EchoCancel", "NoiseSuppress", "userName",         "scopeZoom", "KeyOn", "Key",
      "AutoConnectRestrict", "AlwaysAnswer", "StartingTray", "AutoCallOutIp", "AutoCallOutIpDns", "SndType",
      "Save"};
  EXPECT_EQ(settings.writes, order);
  // The sound type stayed: no restart, but echo cancellation reopens the devices.
  EXPECT_EQ(Asked(), std::vector<std::string>{"scope zoom"});
  std::string name, key, autoCall;
  params.GetString("userName", name);
  EXPECT_EQ(name, "Anna");
  params.GetString("Key", key);
  EXPECT_NE(key, "secret");
  keycipher::DecodeKey(key);
  EXPECT_EQ(key, "secret");
  params.GetString("AutoCallOutIp", autoCall);
  EXPECT_EQ(autoCall, "10.0.0.5");
  EXPECT_EQ(params.GetInt("EchoCancel"), 1);
  EXPECT_EQ(params.GetInt("LowLatency"), 0);
  EXPECT_FALSE(dialog->acceptButton->isEnabled());
  EXPECT_TRUE(dialog->TakeAccepted());
  EXPECT_FALSE(dialog->TakeAccepted());
  // The settings went to the store.
  EXPECT_FALSE(store.sections["params2"].empty());
}

TEST_F(TDlgOptionTest, AShortHandleIsStoredEmpty) {
  params.SetString("userName", "Someone");
  auto dialog = Shown();
  dialog->network->userNameEdit->setText(" ab ");
  dialog->OnAcceptClicked();
  std::string name;
  EXPECT_FALSE(params.GetString("userName", name));
  EXPECT_TRUE(dialog->network->userNameEdit->text().isEmpty());
  EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(TDlgOptionTest, SpeexOptionsAreStoredOnlyWithSpeex8) {
  auto dialog = Shown();
  dialog->sound->soundTypeCombo->setCurrentIndex(11);  // Speex 16 kHz mono
  dialog->speex->qualityCombo->setCurrentIndex(8);
  dialog->OnAcceptClicked();
  EXPECT_EQ(params.GetInt("SndType"), 9059);
  EXPECT_EQ(params.GetInt("SpeexQuality"), 5);
  EXPECT_EQ(Asked().back(), "sound type 9059");

  dialog->sound->soundTypeCombo->setCurrentIndex(TDlgOption::kSpeex8Row);
  dialog->speex->qualityCombo->setCurrentIndex(8);
  dialog->speex->vadCheck->setChecked(true);
  settings.writes.clear();
  dialog->OnAcceptClicked();
  EXPECT_EQ(params.GetInt("SndType"), 9058);
  EXPECT_EQ(params.GetInt("SpeexQuality"), 9);
  EXPECT_EQ(params.GetInt("SpeexVad"), 1);
  const std::vector<std::string> speex(settings.writes.begin() + 14, settings.writes.begin() + 22);
  EXPECT_EQ(speex, (std::vector<std::string>{"SpeexQuality", "SpeexComplexity", "SpeexEnhancer", "SpeexVbrQuality",
                                             "SpeexVbr", "SpeexVad", "SpeexDtx", "SndType"}));
}

TEST_F(TDlgOptionTest, TheSpeexPageIsThereOnlyForSpeex8) {
  auto dialog = Shown();
  QComboBox* types = dialog->sound->soundTypeCombo;
  ASSERT_EQ(types->count(), 15);
  for (int row = 0; row < types->count(); ++row) {
    types->setCurrentIndex(row);
    EXPECT_EQ(dialog->pages->isTabVisible(TDlgOption::kSpeex), row == TDlgOption::kSpeex8Row)
        << types->currentText().toStdString();
  }
  EXPECT_EQ(types->itemText(TDlgOption::kSpeex8Row), "Speex 8 kHz mono");
  EXPECT_EQ(types->itemText(1), "G711 uLaw 8kHz");
  params.SetInt("SndType", 9058);
  dialog->close();
  dialog->show();
  EXPECT_EQ(types->currentIndex(), TDlgOption::kSpeex8Row);
  EXPECT_TRUE(dialog->pages->isTabVisible(TDlgOption::kSpeex));
}

TEST_F(TDlgOptionTest, SendingTheEncoderOptionsSendsThemInOrderAndStoresNothing) {
  auto dialog = Shown();
  dialog->speex->qualityCombo->setCurrentIndex(7);
  dialog->speex->complexityCombo->setCurrentIndex(1);
  dialog->speex->vbrQualityCombo->setCurrentIndex(9);
  dialog->speex->dtxCheck->setChecked(true);
  settings.writes.clear();
  dialog->OnSendSpeexClicked();
  EXPECT_EQ(Asked(), std::vector<std::string>{"speex 9100=8 9101=2 9102=10 9103=0 9104=0 9105=1"});
  EXPECT_TRUE(settings.writes.empty());
  EXPECT_TRUE(dialog->SavingLampLit());
}

TEST_F(TDlgOptionTest, ThePortFieldTakesDigitsUpToTheLastPortAndMayBeEmptiedForANewOne) {
  auto dialog = Shown();
  QLineEdit* port = dialog->network->portEdit;
  port->setFocus();
  QTest::keyClick(port, Qt::Key_End);
  QTest::keyClicks(port, "x");
  EXPECT_EQ(port->text(), "4444");
  port->selectAll();
  QTest::keyClick(port, Qt::Key_Delete);
  EXPECT_EQ(port->text(), "");
  QTest::keyClicks(port, "70000");
  EXPECT_EQ(port->text(), "65535");
  // Erased key by key and typed anew.
  for (int i = 0; i < 5; ++i) QTest::keyClick(port, Qt::Key_Backspace);
  EXPECT_EQ(port->text(), "");
  QTest::keyClicks(port, "5000");
  EXPECT_EQ(port->text(), "5000");
  dialog->OnAcceptClicked();
  EXPECT_EQ(params.GetInt("netPort"), 5000);
  EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(TDlgOptionTest, AnEmptyPortIsIllegalAtSaveAndTheStoredPortStays) {
  auto dialog = Shown();
  QLineEdit* port = dialog->network->portEdit;
  port->setFocus();
  port->selectAll();
  QTest::keyClick(port, Qt::Key_Backspace);
  dialog->OnAcceptClicked();
  EXPECT_EQ(boxes.errors, std::vector<std::string>{"Illegal Udp port detected."});
  EXPECT_TRUE(boxes.infos.empty());
  EXPECT_EQ(params.GetInt("netPort"), 4444);
  // The rest of the save has been done.
  EXPECT_EQ(settings.writes.back(), "Save");
  EXPECT_EQ(std::count(Asked().begin(), Asked().end(), "quit"), 0);
}

TEST_F(TDlgOptionTest, ANewPortIsStoredAndThenTheProgramQuits) {
  auto dialog = Shown();
  dialog->network->portEdit->setText("5555");
  dialog->OnOkClicked();
  EXPECT_EQ(params.GetInt("netPort"), 5555);
  EXPECT_EQ(boxes.infos, std::vector<std::string>{
                             "Change of Udp port detected. Restart nedeed.\r\nOndrel will terminate. Hasta La Vista Baby!"});
  // The quit comes after everything else, so the store is saved before the
  // program goes.
  EXPECT_EQ(Asked().back(), "quit");
  EXPECT_EQ(settings.writes.back(), "Save");
  EXPECT_EQ(store.sections["params2"].size() > 0, true);
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(TDlgOptionTest, AGainOf0dBAnd0CascadesAreKeptAndUsedAsShown) {
  // Made at start-up, the filters write back their defaults.
  CFilters filters(params, SoundFormat::Of(SoundType{9050}));
  auto dialog = Shown();
  EXPECT_EQ(dialog->filters->gainSpin->value(), -4);
  EXPECT_EQ(dialog->filters->cascadeSpin->value(), 1);
  dialog->filters->gainSpin->setValue(0);
  dialog->filters->cascadeSpin->setValue(0);
  EXPECT_EQ(Asked().back(), "filters");
  filters.LoadFilterSettings();  // as the program does when told
  EXPECT_FLOAT_EQ(filters.Loaded().gain, 0.0f);
  EXPECT_EQ(filters.Loaded().bandpass.Cascades(), 0);

  dialog->close();
  dialog->show();
  EXPECT_EQ(dialog->filters->gainSpin->value(), 0);
  EXPECT_EQ(dialog->filters->cascadeSpin->value(), 0);
  dialog->OnAcceptClicked();
  // The next start reads them back as they were left.
  CParams next(store);
  next.Load();
  CFilters nextFilters(next, SoundFormat::Of(SoundType{9050}));
  EXPECT_FLOAT_EQ(nextFilters.Loaded().gain, 0.0f);
  EXPECT_EQ(nextFilters.Loaded().bandpass.Cascades(), 0);
}

TEST_F(TDlgOptionTest, OkWithoutChangesClosesWithoutSavingAndCancelKeepsWhatActedAtOnce) {
  auto dialog = Shown();
  dialog->OnOkClicked();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_TRUE(settings.writes.empty());
  dialog->show();
  dialog->filters->gainSpin->setValue(7);
  dialog->sound->soundTypeCombo->setCurrentIndex(3);
  dialog->cancelButton->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(params.GetInt("FilterBpGain"), 7);
  EXPECT_EQ(params.GetInt("SndType"), 9050);
}

// A restart breaks into a call (and tells the peer), reopening the devices
// leaves a gap: each happens only when a setting it needs changed.
TEST_F(TDlgOptionTest, AcceptRestartsOrReopensTheSoundOnlyForWhatItUses) {
  struct Case {
    const char* what;
    std::function<void(TDlgOption&)> change;
    bool restart;
    bool reopen;
  };
  const Case cases[] = {
      {"nothing", [](TDlgOption&) {}, false, false},
      {"the handle", [](TDlgOption& d) { d.network->userNameEdit->setText("Someone"); }, false, false},
      {"the password", [](TDlgOption& d) { d.access->passwordCheck->setChecked(true); }, false, false},
      {"the sound type", [](TDlgOption& d) { d.sound->soundTypeCombo->setCurrentIndex(0); }, true, false},
      {"a Speex option of Speex 8 kHz", [](TDlgOption& d) { d.speex->vadCheck->setChecked(true); }, true, false},
      {"echo cancellation", [](TDlgOption& d) { d.sound->echoCancelCheck->setChecked(true); }, false, true},
      {"low latency", [](TDlgOption& d) { d.sound->lowLatencyCheck->setChecked(true); }, false, true},
      {"the line input", [](TDlgOption& d) { d.sound->lineInCheck->setChecked(true); }, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (const char* setting : {"EchoCancel", "LowLatency", "audioSource", "KeyOn", "SpeexVad"})
      params.SetInt(setting, 0);
    params.SetString("userName", "");
    params.SetInt("SndType", 9058);
    auto dialog = Shown();
    dialog->OnAcceptClicked();  // the Speex options stored once
    dialog->TakeAccepted();
    optionActions.asked.clear();
    c.change(*dialog);
    dialog->OnAcceptClicked();
    const auto restarts = std::count(Asked().begin(), Asked().end(), "sound type 9058") +
                          std::count(Asked().begin(), Asked().end(), "sound type 9050");
    EXPECT_EQ(restarts, c.restart ? 1 : 0);
    EXPECT_EQ(dialog->TakeAccepted(), c.reopen);
  }
}

TEST_F(TDlgOptionTest, ShowingFillsTheControlsFromTheSettings) {
  contacts.Add("10.0.0.5", "Twin");
  contacts.Add("10.0.0.6", "Twin");
  params.SetInt("PreBuffer", 12);
  params.SetInt("FilterBpFreq", 1000);
  params.SetInt("FilterBp", 1);
  params.SetInt("KeyOn", 1);
  std::string key = "pw";
  keycipher::EncodeKey(key);
  params.SetString("Key", key);
  params.SetString("ringerFile", "/tmp/ring.wav");
  params.SetInt("SpeexQuality", 0);
  auto dialog = Shown();
  EXPECT_EQ(dialog->sound->preBufferSpin->value(), 12);
  EXPECT_EQ(dialog->filters->frequencySpin->value(), 1000);
  EXPECT_TRUE(dialog->filters->bandpassGroup->isEnabled());
  EXPECT_TRUE(dialog->access->passwordEdit->isEnabled());
  EXPECT_EQ(dialog->access->passwordEdit->text(), "pw");
  EXPECT_EQ(dialog->access->passwordEdit->echoMode(), QLineEdit::Password);
  EXPECT_EQ(dialog->options->ringerFileField->text(), "/tmp/ring.wav");
  EXPECT_EQ(dialog->network->ownAddressLabel->text(),
            QString(kOwnAddress) + ", " + kOtherOwnAddress + ", " + kOwnIPv6Address);
  // No stored speech quality shows the middle one, and stores it.
  EXPECT_EQ(dialog->speex->qualityCombo->currentText(), "5");
  EXPECT_EQ(params.GetInt("SpeexQuality"), 5);
  // An automatic call to no client: "None", and no DNS to ask.
  EXPECT_EQ(dialog->network->autoConnectCombo->currentText(), "None");
  EXPECT_FALSE(dialog->network->dnsResolveCheck->isEnabled());
  EXPECT_FALSE(dialog->acceptButton->isEnabled());
  EXPECT_TRUE(Asked().empty());

  // Of two clients with one name, the first in the list's order.
  dialog->network->autoConnectCombo->setCurrentIndex(2);
  EXPECT_TRUE(dialog->network->dnsResolveCheck->isEnabled());
  dialog->OnAcceptClicked();
  std::string autoCall;
  params.GetString("AutoCallOutIp", autoCall);
  EXPECT_EQ(autoCall, "10.0.0.5");
}

TEST_F(TDlgOptionTest, DeviceListsAreTheBackendsDevicesAfterTheSystemOne) {
  params.SetInt("deviceMc", 2);
  params.SetInt("deviceSp", 9);  // a device that is gone
  auto dialog = Shown();
  QComboBox* mics = dialog->sound->micDeviceCombo;
  ASSERT_EQ(mics->count(), 3);
  EXPECT_EQ(mics->itemText(0), "system");
  EXPECT_EQ(mics->itemText(2), "USB Headset Microphone");
  EXPECT_EQ(mics->currentIndex(), 2);
  EXPECT_EQ(dialog->sound->speakerDeviceCombo->currentIndex(), 0);
  EXPECT_EQ(params.GetInt("deviceSp"), 0);
  dialog->sound->speakerDeviceCombo->setCurrentIndex(1);
  EXPECT_EQ(params.GetInt("deviceSp"), 0);  // only Accept writes it
  dialog->OnAcceptClicked();
  EXPECT_EQ(params.GetInt("deviceSp"), 1);
}

TEST_F(TDlgOptionTest, TheSoundTestStopsWithTheDialogAndWithADeviceChoice) {
  auto dialog = Shown();
  dialog->OnSoundTestClicked();
  EXPECT_TRUE(dialog->SoundTestOn());
  EXPECT_TRUE(dialog->sound->soundTestButton->font().bold());
  dialog->Refresh();
  EXPECT_FALSE(dialog->sound->soundTestLamp->isHidden());
  dialog->sound->micDeviceCombo->setCurrentIndex(1);
  EXPECT_FALSE(dialog->SoundTestOn());
  EXPECT_TRUE(dialog->sound->soundTestLamp->isHidden());
  dialog->OnSoundTestClicked();
  dialog->close();
  EXPECT_FALSE(dialog->SoundTestOn());
  EXPECT_EQ(soundTests, (std::vector<bool>{true, false, true, false}));
  // Turning it on with pending changes saves them first.
  dialog->show();
  dialog->sound->soundTypeCombo->setCurrentIndex(2);
  dialog->OnSoundTestClicked();
  EXPECT_EQ(params.GetInt("SndType"), 9051);
}

TEST_F(TDlgOptionTest, TheRingTestIsTakenOnce) {
  auto dialog = Shown();
  dialog->options->ringTestButton->click();
  EXPECT_TRUE(dialog->TakeRingTest());
  EXPECT_FALSE(dialog->TakeRingTest());
}

TEST_F(TDlgOptionTest, ChosenFilesAreStoredAtOnceAndACancelKeepsThePreviousOne) {
  auto dialog = Shown();
  files.answers.push_back("/home/anna/ring.wav");
  dialog->options->ringerSelectButton->click();
  std::string ringer;
  params.GetString("ringerFile", ringer);
  EXPECT_EQ(ringer, "/home/anna/ring.wav");
  EXPECT_EQ(dialog->options->ringerFileField->toolTip(), "/home/anna/ring.wav");
  EXPECT_NE(files.requests[0].filter.find("*.wav"), std::string::npos);
  dialog->options->ringerSelectButton->click();  // cancelled
  EXPECT_EQ(files.requests[1].startName, "/home/anna/ring.wav");
  params.GetString("ringerFile", ringer);
  EXPECT_EQ(ringer, "/home/anna/ring.wav");
  dialog->options->ringerDeselectButton->click();
  EXPECT_FALSE(params.GetString("ringerFile", ringer));

  files.answers.push_back("/usr/bin/xterm");
  dialog->options->autoStartSelectButton->click();
  std::string autoStart;
  params.GetString("AutoStartFile", autoStart);
  EXPECT_EQ(autoStart, "/usr/bin/xterm");
  EXPECT_TRUE(files.requests.back().filter.empty());
  files.answers.push_back("/" + std::string(300, 'a'));
  dialog->options->autoStartSelectButton->click();
  params.GetString("AutoStartFile", autoStart);
  EXPECT_EQ(autoStart, "/usr/bin/xterm");
  EXPECT_EQ(boxes.errors.size(), 1u);
}

TEST_F(TDlgOptionTest, CtrlTabTurnsThePagesPastTheHiddenOne) {
  auto dialog = Shown();  // GSM: no Speex page
  std::vector<int> seen;
  for (int i = 0; i < 6; ++i) {
    QTest::keyClick(dialog->cancelButton, Qt::Key_Tab, Qt::ControlModifier);
    seen.push_back(dialog->pages->currentIndex());
  }
  EXPECT_EQ(seen, (std::vector<int>{TDlgOption::kSound, TDlgOption::kOptions, TDlgOption::kAccess,
                                    TDlgOption::kFilters, TDlgOption::kNetwork, TDlgOption::kSound}));
  QTest::keyClick(dialog->cancelButton, Qt::Key_PageUp, Qt::ControlModifier);
  EXPECT_EQ(dialog->pages->currentIndex(), TDlgOption::kNetwork);
}

TEST_F(TDlgOptionTest, CtrlPAndEscClose) {
  auto dialog = Shown();
  QTest::keyClick(dialog.get(), Qt::Key_P, Qt::ControlModifier);
  EXPECT_FALSE(dialog->isVisible());
  dialog->Toggle();
  EXPECT_TRUE(dialog->isVisible());
  QTest::keyClick(dialog.get(), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
}

TEST_F(TDlgOptionTest, TranslatedTexts) {
  auto dialog = Make([](const std::string& key) {
    if (key == "Network") return std::string("N\xe4tverk");
    if (key == "OK") return std::string("&Ok!");
    return std::string();
  });
  EXPECT_EQ(dialog->pages->tabText(TDlgOption::kNetwork), QString::fromUtf8("Nätverk"));
  EXPECT_EQ(dialog->okButton->text(), "&Ok!");
  EXPECT_EQ(dialog->cancelButton->text(), "&Cancel");
}

}  // namespace
