#include "app/cheartbeatbridge.h"

#include "app/cappstate.h"
#include "app/ccallreport.h"
#include "app/cdevicewatch.h"
#include "app/cmixers.h"
#include "app/cuseractions.h"
#include "audio/caudiopaths.h"
#include "audio/cprogress.h"
#include "audio/cringer.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "net/clocaladdresses.h"
#include "net/cpresence.h"
#include "platform/cdesktopsession.h"
#include "settings/ccontact.h"
#include "settings/ccontacts.h"
#include "ui/dlgmain.h"
#include "ui/dlgoptions.h"

CHeartbeatBridge::CHeartbeatBridge(const Parts& parts) : p_(parts) {}

void CHeartbeatBridge::SendToTray() {
  p_.actions.SendToTray();
}
void CHeartbeatBridge::ConnectPageInFront() {
  p_.actions.OnConnectClicked();
}

void CHeartbeatBridge::SetTrayFrame(int frame) {
  p_.window.SetTrayFrame(frame);
}
void CHeartbeatBridge::PollSystemKey() {
  if (!systemKey_.Poll(p_.window.RightControlState())) return;
  // The key mutes as the button would, without storing the mute for the
  // next start.
  CAppState& s = p_.state;
  const bool mute = s.micMuted.load() == 0;
  p_.window.SetMuteButtons(s.speakerMuted.load() != 0, mute);
  if (mute) {
    p_.audio.MuteMicrophone(true);
    s.micMuted = 1;
  } else {
    p_.audio.MuteMicrophone(false);
    s.micMuted = 0;
  }
}
void CHeartbeatBridge::UpdateTitlePicture() {
  p_.window.UpdateTitlePicture();
}
void CHeartbeatBridge::RefreshPropertiesDialog() {
  p_.optionsDialog.Refresh();
}

void CHeartbeatBridge::ReportCall() {
  p_.callReport.Tick();
  p_.deviceWatch.Tick();
}

void CHeartbeatBridge::KeepSessionAwake(bool on) {
  p_.session.KeepAwake(on);
}

void CHeartbeatBridge::TickClients() {
  p_.presence.Tick();
}
void CHeartbeatBridge::ShowOwnAddresses() {
  // Asked of the system only while the list shows them.
  if (p_.contacts.Count() == 0) p_.window.ShowOwnAddresses(p_.localAddresses.ForAFriend());
}

void CHeartbeatBridge::TickLines() {
  p_.lines.TickAll();
}

LineState CHeartbeatBridge::StateOfLine(int line) {
  const CClient* client = p_.lines.Line(line);
  return client ? client->State() : LineState::kIdle;
}

bool CHeartbeatBridge::AnyRinging() {
  return p_.lines.AnyRinging();
}

void CHeartbeatBridge::SetBusy(bool busy) {
  p_.presence.SetBusy(busy);
}

void CHeartbeatBridge::StartRinger(const std::string& file) {
  p_.ringer.SetFileName(file);
  p_.ringer.Ring();
}
void CHeartbeatBridge::AdvanceRingerStop() {
  p_.ringer.RunDown();
}
bool CHeartbeatBridge::SoundTestOn() {
  return p_.audio.SoundTestOn();
}
bool CHeartbeatBridge::TakeRingTest() {
  return p_.optionsDialog.TakeRingTest();
}
bool CHeartbeatBridge::TakeAccepted() {
  return p_.optionsDialog.TakeAccepted();
}
void CHeartbeatBridge::RestartSound(SoundType type, bool announce) {
  p_.audio.RestartSound(type, announce);
}
void CHeartbeatBridge::OpenDevices() {
  p_.audio.OpenDevices();
}
void CHeartbeatBridge::CloseDevices() {
  p_.audio.CloseDevices();
}
void CHeartbeatBridge::ReopenDevices() {
  p_.audio.ReopenDevices();
}
uint32_t CHeartbeatBridge::SpeakerLevel() {
  return static_cast<uint32_t>(p_.audio.SpeakerLevel());
}
uint32_t CHeartbeatBridge::MicLevel() {
  return static_cast<uint32_t>(p_.audio.MicLevel());
}
void CHeartbeatBridge::ReadMixers() {
  p_.mixers.Read();
}
void CHeartbeatBridge::ApplySpeakerLimit() {
  p_.audio.SetSpeakerLimit(static_cast<int32_t>(p_.state.speakerSlider));
}
void CHeartbeatBridge::FeedScope() {
  const int line = p_.state.currentLine.load();
  if (!p_.window.ScopeShown(line) || !p_.audio.SpeakerTap() || !p_.audio.MicTap()) return;
  const std::size_t samples = p_.audio.Format().FrameSamples();
  speakerFrame_.resize(samples);
  micFrame_.resize(samples);
  const bool speaker = p_.audio.SpeakerTap()->GetFrame(speakerFrame_);
  const bool mic = p_.audio.MicTap()->GetFrame(micFrame_);
  p_.window.DrawScope(line, speaker ? std::span<const int16_t>(speakerFrame_) : std::span<const int16_t>(),
                      mic ? std::span<const int16_t>(micFrame_) : std::span<const int16_t>());
}
void CHeartbeatBridge::ShowMeters(uint32_t speaker, uint32_t mic) {
  p_.window.SetMeters(static_cast<int>(speaker), static_cast<int>(mic));
}
