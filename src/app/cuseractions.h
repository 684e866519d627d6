#pragma once

#include <functional>

#include "core/windowactions.h"

struct CAppState;
class CAudioPaths;
class CClients;
class CCommandAvailability;
class CContacts;
class CLanguage;
class CLinePresenter;
class CMixers;
class CParams;
class TDlg;
class TDlgAbt;
class TDlgCntact;
class TDlgOption;

// A click on Connect, from the window to the wire:
//
//   TDlg (button) --> WindowActions::Run(kConnect) = CUserActions::OnConnectClicked
//     client list in front: CContacts::At(selected row) --> CClients::PlaceCall
//       --> a free line (CClient::CallOut) --> CUdpSocket::Send (9023, call request)
//                                          --> LineObserver: CLinePresenter shows the page
//     a line's page in front: CClient::Answer --> CUdpSocket::Send (9025, answer)
//
// What the user does from the window, acted on the program's objects: calls and
// hang-ups on the page in front, the client list's commands, the mutes and
// the volume sliders, the scope and filter toggles, the system key, the tray
// and quitting, and the dialogs that the commands open.
class CUserActions : public WindowActions {
 public:
  struct Parts {
    CAppState& state;
    CParams& params;
    const CLanguage& language;
    TDlg& window;
    CContacts& contacts;
    CClients& lines;
    CLinePresenter& linePresenter;
    CCommandAvailability& availability;
    CAudioPaths& audio;
    CMixers& mixers;
    TDlgCntact& contactDialog;
    TDlgOption& optionsDialog;
    TDlgAbt& aboutDialog;
  };

  CUserActions(const Parts& parts, std::function<void()> quit);

  void Run(Command command) override;
  void PageChanged(int page) override;
  void ClientRowChosen(int row) override;
  void SpeakerMuteClicked(bool down) override;
  void MicMuteClicked(bool down) override;
  void SpeakerSliderMoved(int position) override;
  void MicSliderMoved(int position) override;
  void ScopeButtonClicked(int line) override;
  void FilterButtonClicked(int line) override;
  void PropertiesButtonClicked() override;

  // Connect: on the client list, call the selected client; on a line page,
  // answer that page's line.
  void OnConnectClicked();
  // Disconnect: hang up the line of the page in front; nothing on page 0.
  void OnDisconnectClicked();
  void SendToTray();
  // The system key's menu item: switched and stored.
  void ToggleSystemKey();

 private:
  void CallSelected();
  void ConnectWithDns();
  void AddFromPage();
  void RemoveSelected();
  void ViewLogFile();
  void ShowAbout();

  Parts p_;
  std::function<void()> quit_;
};
