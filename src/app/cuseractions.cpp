#include "app/cuseractions.h"

#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "app/ccommandavailability.h"
#include "app/clinepresenter.h"
#include "app/cobjectgraph.h"
#include "app/conceboxes.h"
#include "audio/caudiopaths.h"
#include "audio/cmixermc.h"
#include "audio/cmixersp.h"
#include "core/codes.h"
#include "core/messageboxport.h"
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

CUserActions::CUserActions(CObjectGraph& graph, std::function<void()> quit)
    : graph_(graph), quit_(std::move(quit)) {}

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
      if (const int line = graph_.state.currentLine.load(); line != 0) graph_.linePresenter->ToggleScope(line);
      break;
    case Command::kViewLogFile:
      ViewLogFile();
      break;
    case Command::kSystemKey:
      ToggleSystemKey();
      break;
    case Command::kMinimizeToTray:
      graph_.window->RequestClose();
      break;
    case Command::kQuit:
      if (quit_) quit_();
      break;
    case Command::kEdit:
      if (graph_.window->PageInFront() == 0) graph_.contactDialog->OpenFor(graph_.window->SelectedClientRow());
      break;
    case Command::kImport:
      graph_.contactDialog->ImportClients();
      break;
    case Command::kExport:
      graph_.contactDialog->ExportClients();
      break;
    case Command::kProperties:
      if (!graph_.optionsDialog->isVisible()) graph_.optionsDialog->Toggle();
      break;
    case Command::kAbout:
      ShowAbout();
      break;
  }
  graph_.availability->Recompute();
}

void CUserActions::PageChanged(int) {
  graph_.availability->Recompute();
}

void CUserActions::ClientRowChosen(int row) {
  graph_.contactDialog->FollowSelection(row);
  graph_.availability->Recompute();
}

void CUserActions::PropertiesButtonClicked() {
  graph_.optionsDialog->Toggle();
  if (!graph_.optionsDialog->isVisible()) graph_.window->setFocus();
}

void CUserActions::ShowAbout() {
  const CLanguage& language = *graph_.language;
  graph_.aboutDialog->ShowFor(TDlg::kVersion, {language.IsLoaded(), language.LanguageName(0),
                                               language.Text("Author"), language.Text("Version")});
}

void CUserActions::OnConnectClicked() {
  const int page = graph_.window->PageInFront();
  if (CClient* line = graph_.Line(page)) {
    line->Answer();
    return;
  }
  if (page == 0) CallSelected();
}

void CUserActions::OnDisconnectClicked() {
  if (CClient* line = graph_.Line(graph_.window->PageInFront())) line->HangUp();
}

void CUserActions::SendToTray() {
  graph_.window->SendToTray();
}

void CUserActions::CallSelected() {
  if (const CContact* client = graph_.contacts->At(graph_.window->SelectedClientRow())) {
    graph_.lines->PlaceCall(client->Ip(), client->Name());
  }
}

void CUserActions::ConnectWithDns() {
  if (const CContact* client = graph_.contacts->At(graph_.window->SelectedClientRow()))
    graph_.lines->ConnectWithDns(client->Ip(), client->Name());
}

void CUserActions::AddFromPage() {
  const int page = graph_.window->PageInFront();
  const CClient* line = graph_.Line(page);
  if (page == 0) {
    graph_.contactDialog->OpenFor(-1);
    return;
  }
  if (!line || line->State() == LineState::kIdle) return;
  graph_.contacts->Add(line->PeerAddressText(), line->PeerName());
}

void CUserActions::RemoveSelected() {
  if (graph_.window->PageInFront() != 0) return;
  graph_.contacts->ConfirmRemove(graph_.window->SelectedClientRow());
  // Whatever the answer, the stored copy is brought in line with the list.
  graph_.contacts->WriteStoredCopy();
}

void CUserActions::ViewLogFile() {
  QDesktopServices::openUrl(QUrl::fromLocalFile(QDir::current().absoluteFilePath(CLog::kFileName)));
}

void CUserActions::ToggleSystemKey() {
  const bool on = !graph_.window->SystemKeyOn();
  graph_.state.systemKey = on;
  graph_.window->SetSystemKey(on);
  graph_.params->SetInt("lowKeySpace", on ? 1 : 0);
}

void CUserActions::SpeakerMuteClicked(bool down) {
  CAppState& s = graph_.state;
  if (down) {
    s.speakerMuted = 1;
    graph_.audio->MuteSpeaker(true);
  } else {
    graph_.audio->MuteSpeaker(false);
    s.speakerMuted = 0;
  }
  graph_.params->SetInt("spMute", down ? 1 : 0);
  graph_.params->Save();
}

void CUserActions::MicMuteClicked(bool down) {
  CAppState& s = graph_.state;
  if (down) {
    graph_.audio->MuteMicrophone(true);
    s.micMuted = 1;
  } else {
    graph_.audio->MuteMicrophone(false);
    s.micMuted = 0;
  }
  graph_.params->SetInt("mcMute", down ? 1 : 0);
  graph_.params->Save();
}

void CUserActions::SpeakerSliderMoved(int position) {
  graph_.state.speakerSlider = static_cast<uint32_t>(position);
  if (graph_.mixerSp) graph_.mixerSp->SetVolume(static_cast<uint32_t>(position));
}

void CUserActions::MicSliderMoved(int position) {
  graph_.state.micSlider = static_cast<uint32_t>(position);
  if (graph_.mixerMc) graph_.mixerMc->SetVolume(static_cast<uint32_t>(position));
}

void CUserActions::ScopeButtonClicked(int) {
  if (const int line = graph_.state.currentLine.load(); line != 0) graph_.linePresenter->ToggleScope(line);
}

void CUserActions::FilterButtonClicked(int) {
  if (graph_.state.currentLine.load() == 0) return;
  // As a click on the properties' bandpass box, which stores and reloads.
  graph_.optionsDialog->ClickBandpass(graph_.params->GetInt("FilterBp") == 0);
}
