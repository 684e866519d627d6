#include "app/cdispatchbridge.h"

#include <QString>

#include "app/ccalleventhandler.h"
#include "app/cobjectgraph.h"
#include "audio/caudiopaths.h"
#include "audio/cmixermc.h"
#include "audio/cmixerpair.h"
#include "audio/cmixersp.h"
#include "core/codes.h"
#include "core/roundtrip.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "net/clocaladdresses.h"
#include "net/cudpsocket.h"
#include "net/datagramwriter.h"
#include "net/transport.h"
#include "settings/ccontacts.h"
#include "settings/clog.h"
#include "settings/cparams.h"
#include "platform/cdesktopsession.h"
#include "ui/dlgcontact.h"
#include "ui/dlgmain.h"

CDispatchBridge::CDispatchBridge(CObjectGraph& graph) : graph_(graph) {}


LineView CDispatchBridge::Line(int line) {
  const CClient* client = graph_.Line(line);
  if (!client) return {};
  return LineView{client->State(),       client->CanHangUp(),       client->CanAnswer(),
                  client->PeerAddress(), client->PeerAddressText(), !client->IsIncoming()};
}


void CDispatchBridge::HangUp(int line) {
  if (CClient* client = graph_.Line(line)) client->HangUp();
}

void CDispatchBridge::PlaceCall(int line, const NetAddress& address, const std::string& name) {
  if (CClient* client = graph_.Line(line)) client->CallOut(address, name);
}

void CDispatchBridge::ApplyRemoteSpeexOption(uint32_t code, int32_t value) {
  graph_.audio->ApplyRemoteSpeexOption(code, value);
}
void CDispatchBridge::ReloadPreBuffer() {
  graph_.audio->ReloadPreBuffer();
}
void CDispatchBridge::ReloadFilters() {
  graph_.audio->ReloadFilters();
}
void CDispatchBridge::RestartSound(SoundType type, bool announce) {
  graph_.audio->RestartSound(type, announce);
}
void CDispatchBridge::SoundTypeRequested(int32_t code) {
  graph_.callEvents->SoundTypeRequested(code);
}
void CDispatchBridge::ReloadScopeZoom() {
  graph_.window->SetScopeZoom(graph_.params->GetInt("scopeZoom"));
}

void CDispatchBridge::ShowSliders() {
  const CAppState& s = graph_.state;
  graph_.window->SetSliders({static_cast<int>(s.speakerSlider), s.speakerSliderEnabled},
                            {static_cast<int>(s.micSlider), s.micSliderEnabled});
}

void CDispatchBridge::SendSignalling(const NetAddress& address, uint32_t code, const std::string& text) {
  if (address.IsNone()) return;
  const auto bytes = datagram::BuildSignalling(code, text);
  graph_.socket->Send(address, bytes);
}

void CDispatchBridge::MixerChanged(int64_t control) {
  CAppState& s = graph_.state;
  const auto moves =
      CMixerPair(graph_.mixerSp.get(), graph_.mixerMc.get()).Changed(control, s.speakerSlider, s.micSlider);
  if (moves.speaker) s.speakerSlider = *moves.speaker;
  if (moves.microphone) s.micSlider = *moves.microphone;
  if (moves.speaker || moves.microphone) ShowSliders();
}

void CDispatchBridge::ReadMixers() {
  const auto sliders = CMixerPair(graph_.mixerSp.get(), graph_.mixerMc.get()).ReadMixers();
  CAppState& s = graph_.state;
  s.speakerSliderEnabled = sliders.speaker.enabled;
  s.speakerSlider = sliders.speaker.position;
  s.micSliderEnabled = sliders.microphone.enabled;
  s.micSlider = sliders.microphone.position;
  ShowSliders();
}


