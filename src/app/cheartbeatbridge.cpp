#include "app/cheartbeatbridge.h"

#include "app/cdispatchbridge.h"
#include "app/cobjectgraph.h"
#include "app/cuseractions.h"
#include "audio/caudiopaths.h"
#include "audio/cprogress.h"
#include "audio/cringer.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "net/cpresence.h"
#include "net/clocaladdresses.h"
#include "settings/ccontact.h"
#include "settings/ccontacts.h"
#include "platform/cdesktopsession.h"
#include "app/ccallreport.h"
#include "app/cdevicewatch.h"
#include "ui/dlgmain.h"
#include "ui/dlgoptions.h"

CHeartbeatBridge::CHeartbeatBridge(CObjectGraph& graph, CUserActions& actions, CDispatchBridge& dispatch)
    : graph_(graph), actions_(actions), dispatch_(dispatch) {}

void CHeartbeatBridge::SendToTray() {
  actions_.SendToTray();
}
void CHeartbeatBridge::ConnectPageInFront() {
  actions_.OnConnectClicked();
}

void CHeartbeatBridge::SetTrayFrame(int frame) {
  graph_.window->SetTrayFrame(frame);
}
void CHeartbeatBridge::PollSystemKey() {
  if (!systemKey_.Poll(graph_.window->RightControlState())) return;
  // The key mutes as the button would, without storing the mute for the
  // next start.
  CAppState& s = graph_.state;
  const bool mute = s.micMuted.load() == 0;
  graph_.window->SetMuteButtons(s.speakerMuted.load() != 0, mute);
  if (mute) {
    graph_.audio->MuteMicrophone(true);
    s.micMuted = 1;
  } else {
    graph_.audio->MuteMicrophone(false);
    s.micMuted = 0;
  }
}
void CHeartbeatBridge::UpdateTitlePicture() {
  graph_.window->UpdateTitlePicture();
}
// The properties dialog is not part of the program yet.
void CHeartbeatBridge::RefreshPropertiesDialog() {
  if (graph_.optionsDialog) graph_.optionsDialog->Refresh();
}

void CHeartbeatBridge::ReportCall() {
  if (graph_.callReport) graph_.callReport->Tick();
  if (graph_.deviceWatch) graph_.deviceWatch->Tick();
}

void CHeartbeatBridge::KeepSessionAwake(bool on) {
  if (graph_.session) graph_.session->KeepAwake(on);
}

void CHeartbeatBridge::TickClients() {
  graph_.presence->Tick();
}
void CHeartbeatBridge::ShowOwnAddresses() {
  // Asked of the system only while the list shows them.
  if (graph_.contacts->Count() == 0) graph_.window->ShowOwnAddresses(graph_.localAddresses->ForAFriend());
}

void CHeartbeatBridge::TickLines() {
  graph_.lines->TickAll();
}

LineState CHeartbeatBridge::StateOfLine(int line) {
  const CClient* client = graph_.Line(line);
  return client ? client->State() : LineState::kIdle;
}

bool CHeartbeatBridge::AnyRinging() {
  return graph_.lines->AnyRinging();
}

void CHeartbeatBridge::SetBusy(bool busy) {
  graph_.presence->SetBusy(busy);
}

void CHeartbeatBridge::StartRinger(const std::string& file) {
  graph_.ringer->SetFileName(file);
  graph_.ringer->Ring();
}
void CHeartbeatBridge::AdvanceRingerStop() {
  graph_.ringer->RunDown();
}
bool CHeartbeatBridge::SoundTestOn() {
  return graph_.audio->SoundTestOn();
}
bool CHeartbeatBridge::TakeRingTest() {
  return graph_.optionsDialog && graph_.optionsDialog->TakeRingTest();
}
bool CHeartbeatBridge::TakeAccepted() {
  return graph_.optionsDialog && graph_.optionsDialog->TakeAccepted();
}
void CHeartbeatBridge::RestartSound(SoundType type, bool announce) {
  dispatch_.RestartSound(type, announce);
}
void CHeartbeatBridge::OpenDevices() {
  graph_.audio->OpenDevices();
}
void CHeartbeatBridge::CloseDevices() {
  graph_.audio->CloseDevices();
}
void CHeartbeatBridge::ReopenDevices() {
  graph_.audio->ReopenDevices();
}
uint32_t CHeartbeatBridge::SpeakerLevel() {
  return static_cast<uint32_t>(graph_.audio->SpeakerLevel());
}
uint32_t CHeartbeatBridge::MicLevel() {
  return static_cast<uint32_t>(graph_.audio->MicLevel());
}
void CHeartbeatBridge::ReadMixers() {
  dispatch_.ReadMixers();
}
void CHeartbeatBridge::ApplySpeakerLimit() {
  graph_.audio->SetSpeakerLimit(static_cast<int32_t>(graph_.state.speakerSlider));
}
void CHeartbeatBridge::FeedScope() {
  const int line = graph_.state.currentLine.load();
  if (!graph_.window->ScopeShown(line) || !graph_.audio->SpeakerTap() || !graph_.audio->MicTap()) return;
  const std::size_t samples = graph_.audio->Format().FrameSamples();
  speakerFrame_.resize(samples);
  micFrame_.resize(samples);
  const bool speaker = graph_.audio->SpeakerTap()->GetFrame(speakerFrame_);
  const bool mic = graph_.audio->MicTap()->GetFrame(micFrame_);
  graph_.window->DrawScope(line,
                           speaker ? std::span<const int16_t>(speakerFrame_) : std::span<const int16_t>(),
                           mic ? std::span<const int16_t>(micFrame_) : std::span<const int16_t>());
}
void CHeartbeatBridge::ShowMeters(uint32_t speaker, uint32_t mic) {
  graph_.window->SetMeters(static_cast<int>(speaker), static_cast<int>(mic));
}
