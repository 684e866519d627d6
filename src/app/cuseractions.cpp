#include "app/cuseractions.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "app/cappstate.h"
#include "app/ccommandavailability.h"
#include "app/clinepresenter.h"
#include "app/cmixers.h"
#include "app/conceboxes.h"
#include "audio/caudiopaths.h"
#include "core/codes.h"
#include "core/messageboxport.h"
#include "core/settingnames.h"
#include "core/windowport.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "platform/cqtmessageboxes.h"
#include "platform/cqtwindowport.h"
#include "settings/ccontact.h"
#include "settings/ccontacts.h"
#include "settings/clanguage.h"
#include "settings/clog.h"
#include "settings/cparams.h"
#include "ui/dlgabout.h"
#include "ui/dlgcontact.h"
#include "ui/dlgmain.h"
#include "ui/dlgoptions.h"

CUserActions::CUserActions(const Parts& parts, std::function<void()> quit)
    : p_(parts), quit_(std::move(quit)) {}

void CUserActions::Run(Command command) {
  switch (command) {
    case Command::kCallSelected:
      CallSelected();
      break;
    case Command::kConnect:
      OnConnectClicked();
      break;
    case Command::kConnectWithDns:
      ConnectWithDns();
      break;
    case Command::kDisconnect:
      OnDisconnectClicked();
      break;
    case Command::kAdd:
      AddFromPage();
      break;
    case Command::kRemove:
      RemoveSelected();
      break;
    case Command::kScope:
      if (const int line = p_.state.currentLine.load(); line != 0) p_.linePresenter.ToggleScope(line);
      break;
    case Command::kViewLogFile:
      ViewLogFile();
      break;
    case Command::kSystemKey:
      ToggleSystemKey();
      break;
    case Command::kMinimizeToTray:
      p_.window.RequestClose();
      break;
    case Command::kQuit:
      if (quit_) quit_();
      break;
    case Command::kEdit:
      if (p_.window.PageInFront() == 0) p_.contactDialog.OpenFor(p_.window.SelectedClientRow());
      break;
    case Command::kImport:
      p_.contactDialog.ImportClients();
      break;
    case Command::kExport:
      p_.contactDialog.ExportClients();
      break;
    case Command::kProperties:
      if (!p_.optionsDialog.isVisible()) p_.optionsDialog.Toggle();
      break;
    case Command::kAbout:
      ShowAbout();
      break;
  }
  p_.availability.Recompute();
}

void CUserActions::PageChanged(int) {
  p_.availability.Recompute();
}

void CUserActions::ClientRowChosen(int row) {
  p_.contactDialog.FollowSelection(row);
  p_.availability.Recompute();
}

void CUserActions::PropertiesButtonClicked() {
  p_.optionsDialog.Toggle();
  if (!p_.optionsDialog.isVisible()) p_.window.setFocus();
}

void CUserActions::ShowAbout() {
  const CLanguage& language = p_.language;
  p_.aboutDialog.ShowFor(TDlg::kVersion, {language.IsLoaded(), language.LanguageName(0),
                                          language.Text("Author"), language.Text("Version")});
}

void CUserActions::OnConnectClicked() {
  const int page = p_.window.PageInFront();
  if (CClient* line = p_.lines.Line(page)) {
    line->Answer();
    return;
  }
  if (page == 0) CallSelected();
}

void CUserActions::OnDisconnectClicked() {
  if (CClient* line = p_.lines.Line(p_.window.PageInFront())) line->HangUp();
}

void CUserActions::SendToTray() {
  p_.window.SendToTray();
}

void CUserActions::CallSelected() {
  if (const CContact* client = p_.contacts.At(p_.window.SelectedClientRow())) {
    p_.lines.PlaceCall(client->Ip(), client->Name());
  }
}

void CUserActions::ConnectWithDns() {
  if (const CContact* client = p_.contacts.At(p_.window.SelectedClientRow()))
    p_.lines.ConnectWithDns(client->Ip(), client->Name());
}

void CUserActions::AddFromPage() {
  const int page = p_.window.PageInFront();
  const CClient* line = p_.lines.Line(page);
  if (page == 0) {
    p_.contactDialog.OpenFor(-1);
    return;
  }
  if (!line || line->State() == LineState::kIdle) return;
  p_.contacts.Add(line->PeerAddressText(), line->PeerName());
}

void CUserActions::RemoveSelected() {
  if (p_.window.PageInFront() != 0) return;
  p_.contacts.ConfirmRemove(p_.window.SelectedClientRow());
  // Whatever the answer, the stored copy is brought in line with the list.
  p_.contacts.WriteStoredCopy();
}

void CUserActions::ViewLogFile() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(CLog::kFileName)));
}

void CUserActions::ToggleSystemKey() {
  const bool on = !p_.window.SystemKeyOn();
  p_.state.systemKey = on;
  p_.window.SetSystemKey(on);
  p_.params.SetInt(setting::kLowKeySpace, on ? 1 : 0);
}

void CUserActions::SpeakerMuteClicked(bool down) {
  CAppState& s = p_.state;
  if (down) {
    s.speakerMuted = 1;
    p_.audio.MuteSpeaker(true);
  } else {
    p_.audio.MuteSpeaker(false);
    s.speakerMuted = 0;
  }
  p_.params.SetInt(setting::kSpMute, down ? 1 : 0);
  p_.params.Save();
}

void CUserActions::MicMuteClicked(bool down) {
  CAppState& s = p_.state;
  if (down) {
    p_.audio.MuteMicrophone(true);
    s.micMuted = 1;
  } else {
    p_.audio.MuteMicrophone(false);
    s.micMuted = 0;
  }
  p_.params.SetInt(setting::kMcMute, down ? 1 : 0);
  p_.params.Save();
}

void CUserActions::SpeakerSliderMoved(int position) {
  p_.mixers.MoveSpeaker(static_cast<uint32_t>(position));
}

void CUserActions::MicSliderMoved(int position) {
  p_.mixers.MoveMicrophone(static_cast<uint32_t>(position));
}

void CUserActions::ScopeButtonClicked(int) {
  if (const int line = p_.state.currentLine.load(); line != 0) p_.linePresenter.ToggleScope(line);
}

void CUserActions::FilterButtonClicked(int) {
  if (p_.state.currentLine.load() == 0) return;
  // As a click on the properties' bandpass box, which stores and reloads.
  p_.optionsDialog.ClickBandpass(p_.params.GetInt(setting::kFilterBp) == 0);
}
