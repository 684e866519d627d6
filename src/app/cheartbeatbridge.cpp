#include "app/cheartbeatbridge.h"

#include "app/cdispatchbridge.h"
#include "app/cobjectgraph.h"
#include "app/cuseractions.h"
#include "audio/caudiopaths.h"
#include "audio/cringer.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "settings/ccontact.h"
#include "settings/ccontacts.h"
#include "ui/dlgmain.h"

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
// The skin, the system key and the properties dialog arrive with the full
// window.
void CHeartbeatBridge::PollSystemKey() {}
void CHeartbeatBridge::UpdateTitlePicture() {}
void CHeartbeatBridge::RefreshPropertiesDialog() {}

void CHeartbeatBridge::TickClients() {
  graph_.contacts->Tick();
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

void CHeartbeatBridge::BroadcastShort(uint32_t code) {
  graph_.contacts->RewindBroadcast();
  std::string address, name;
  while (graph_.contacts->NextBroadcast(address, name)) {
    dispatch_.SendShort(CContact::AddressFromText(address), code);
  }
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
  return false;
}
bool CHeartbeatBridge::TakeAccepted() {
  return false;
}
void CHeartbeatBridge::RestartSound(uint32_t soundType, bool announce) {
  dispatch_.RestartSound(soundType, announce);
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
// The meters and the scope arrive with the full window.
void CHeartbeatBridge::FeedScope() {}
void CHeartbeatBridge::ShowMeters(uint32_t, uint32_t) {}
