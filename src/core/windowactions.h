#pragma once

// What the user asks of the program through the main window: its menu
// commands and shortcuts, its buttons, sliders and the client list. The
// window only reports; the program decides what each one does.
class WindowActions {
 public:
  enum class Command {
    kCallSelected,  // Enter and the client list's "Connect": call the selected client
    kConnect,       // the Connect button and "Connect": call, or answer on a line page
    kConnectWithDns,
    kDisconnect,
    kAdd,
    kEdit,
    kRemove,
    kImport,
    kExport,
    kScope,
    kProperties,
    kViewLogFile,
    kSystemKey,
    kMinimizeToTray,
    kQuit,
    kAbout,
  };

  virtual ~WindowActions() = default;

  virtual void Run(Command command) = 0;
  virtual void PageChanged(int page) = 0;
  // A row was chosen by a click or by the arrow keys; the window shows it
  // selected already.
  virtual void ClientRowChosen(int row) = 0;
  // The mute buttons, with the state they now show (down = muted).
  virtual void SpeakerMuteClicked(bool down) = 0;
  virtual void MicMuteClicked(bool down) = 0;
  // A slider the user (or a key) moved, 0 to 65535.
  virtual void SpeakerSliderMoved(int position) = 0;
  virtual void MicSliderMoved(int position) = 0;
  // A line page's toggle buttons.
  virtual void ScopeButtonClicked(int line) = 0;
  virtual void FilterButtonClicked(int line) = 0;
  // The small button in the title strip that shows or hides the properties.
  virtual void PropertiesButtonClicked() = 0;
};
