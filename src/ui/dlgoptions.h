#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <utility>

#include "core/optionactions.h"
#include "core/textlookup.h"
#include "ui/dialogposition.h"

class AudioBackend;
class ClientBook;
class FileChooser;
class MessageBoxPort;
class NetworkFacts;
class QLabel;
class QPushButton;
class QTabWidget;
class SettingsStore;
class TAccessPage;
class TFiltersPage;
class TNetworkPage;
class TOptionsPage;
class TSoundPage;
class TSpeexPage;

// The properties dialog: every setting of the program on six pages. Some
// controls act at once: they write their setting, light the saving lamp and
// tell the running program. The rest wait for Accept or OK, which write
// them together in a fixed order. It also runs the sound test and the ring
// test and sends the Speex encoder options to the peer of the line in front.
class TDlgOption : public QDialog {
  Q_OBJECT
 public:
  enum Page { kNetwork, kSound, kSpeex, kOptions, kAccess, kFilters };
  static constexpr int kSpeex8Row = 10;
  static constexpr std::size_t kMaxPathChars = 255;

  struct Ports {
    SettingsStore& settings;
    ClientBook& clients;
    NetworkFacts& network;
    MessageBoxPort& boxes;
    FileChooser& files;
    OptionActions& actions;
    AudioBackend& audio;
  };

  TDlgOption(const Ports& ports, TextLookup texts, QWidget* parent = nullptr);
  ~TDlgOption() override;

  // The sound test plays the microphone on the speaker; the program starts
  // and stops it when told.
  void SetSoundTestHook(std::function<void(bool)> hook) { soundTestHook_ = std::move(hook); }
  bool SoundTestOn() const { return soundTest_; }
  // Read by the heartbeat, which clears them.
  bool TakeRingTest() { return std::exchange(ringTest_, false); }
  bool TakeAccepted() { return std::exchange(accepted_, false); }
  // Once a second while shown: the saving lamp goes dark and the sound
  // test's lamp blinks.
  void Refresh();
  // The main window's show or hide.
  void Toggle();
  // The main window's filter button acts as a click on the bandpass box.
  void ClickBandpass(bool on);
  void StorePosition();
  bool SavingLampLit() const;

  QTabWidget* pages;
  TNetworkPage* network;
  TSoundPage* sound;
  TSpeexPage* speex;
  TOptionsPage* options;
  TAccessPage* access;
  TFiltersPage* filters;
  QLabel* savingLamp;
  QPushButton* cancelButton;
  QPushButton* acceptButton;
  QPushButton* okButton;

 public slots:
  void OnAcceptClicked();
  void OnOkClicked();
  void OnSoundTestClicked();
  void OnSendSpeexClicked();
  void OnBandpassClicked(bool on);

 protected:
  void showEvent(QShowEvent* event) override;
  void done(int result) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildButtonBar();
  void FillLists();
  void ConnectPendingChanges();
  void ConnectImmediateControls();
  void ApplyLanguage();
  void LoadControls();
  void LoadSpeexOptions();
  void FillAutoConnect();
  void Save();
  // Stores a setting; true when that changed it.
  bool Store(const char* name, int32_t value);
  void SaveAutoConnect();
  void SaveSoundType();
  // True when the port changed, which ends the program.
  bool SavePort();
  void MarkChanged();
  void LightLamp(bool lit);
  void SetSoundTest(bool on);
  void ShowSpeexTab(int soundTypeRow);
  void ChooseFile(const char* setting, bool wavOnly);
  void ForgetFile(const char* setting);
  void ShowFile(const char* setting);
  // What a "now" control sets going in the program; none for some.
  using Effect = void (OptionActions::*)();
  // A "now" control: store the value, light the lamp, tell the program.
  void WriteNow(const char* setting, int value, Effect effect);
  void PortEdited();
  void StepPage(int direction);

  SettingsStore& settings_;
  CDialogPosition position_;
  ClientBook& clients_;
  NetworkFacts& network_;
  MessageBoxPort& boxes_;
  FileChooser& files_;
  OptionActions& actions_;
  AudioBackend& audio_;
  TextLookup texts_;
  std::function<void(bool)> soundTestHook_;
  int micDevice_ = 0;
  int speakerDevice_ = 0;
  int lampFrame_ = 0;
  bool soundTest_ = false;
  bool ringTest_ = false;
  bool accepted_ = false;
  // While the controls are filled from the settings their change handlers
  // neither write nor mark a change.
  bool loading_ = false;
};
