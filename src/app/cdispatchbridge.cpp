#include "app/cdispatchbridge.h"

#include <QString>

#include "app/cobjectgraph.h"
#include "audio/caudiopaths.h"
#include "audio/cmixermc.h"
#include "audio/cmixerpair.h"
#include "audio/cmixersp.h"
#include "core/codes.h"
#include "core/roundtrip.h"
#include "net/cclient.h"
#include "net/cclients.h"
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

void CDispatchBridge::ProbeReceived(uint32_t address) {
  graph_.contacts->ProbeReceived(address);
}
void CDispatchBridge::ReplyReceived(uint32_t address) {
  for (int n = 1; n <= 2; ++n) {
    if (CClient* line = graph_.Line(n); line && line->PeerAddress() == address)
      line->NoteProbeAnswered(CRoundTrip::SteadySeconds());
  }
  graph_.contacts->ReplyReceived(address);
}
void CDispatchBridge::GoneOffline(uint32_t address) {
  graph_.contacts->GoneOffline(address);
}
void CDispatchBridge::BusyChanged(uint32_t address, bool busy) {
  graph_.contacts->BusyChanged(address, busy);
}
bool CDispatchBridge::IsClient(const std::string& addressText) {
  return graph_.contacts->Contains(addressText);
}
bool CDispatchBridge::HasClientAt(int row) {
  return graph_.contacts->At(row) != nullptr;
}
// The client dialog follows the selection once it exists.
void CDispatchBridge::ClientSelected(int row) {
  if (graph_.contactDialog) graph_.contactDialog->FollowSelection(row);
}

LineView CDispatchBridge::Line(int line) {
  const CClient* client = graph_.Line(line);
  if (!client) return {};
  return LineView{client->State(),       client->CanHangUp(),       client->CanAnswer(),
                  client->PeerAddress(), client->PeerAddressText(), !client->IsIncoming()};
}

LineTraffic CDispatchBridge::TakeTraffic(int line) {
  CClient* client = graph_.Line(line);
  if (!client) return {};
  return LineTraffic{client->TakeRxBytes(), client->TakeTxBytes()};
}

void CDispatchBridge::RouteCode(uint32_t address, uint32_t code) {
  graph_.lines->RouteCode(address, code);
}

void CDispatchBridge::HangUp(int line) {
  if (CClient* client = graph_.Line(line)) client->HangUp();
}

void CDispatchBridge::PlaceCall(int line, uint32_t address, const std::string& name) {
  if (CClient* client = graph_.Line(line)) client->CallOut(address, name);
}

void CDispatchBridge::AcceptCallRequest(uint32_t address, const std::string& request) {
  graph_.lines->ReceiveCallRequest(address, request);
}

void CDispatchBridge::AnnounceIncomingCall(int line) {
  const CClient* client = graph_.Line(line);
  if (!client || !graph_.window->IsOutOfSight()) return;
  std::string caller = client->PeerName();
  if (caller.empty()) caller = client->PeerAddressText();
  const QString summary = "Incoming call";
  const QString body = QString::fromLatin1(caller.data(), qsizetype(caller.size()));
  // The desktop's notification service where there is one, else the tray's
  // balloon; the ringing and the tray's animation come either way.
  if (!graph_.session || !graph_.session->Notify(summary, body)) graph_.window->ShowTrayMessage(summary, body);
}

void CDispatchBridge::TakePeerName(int line, uint32_t address, const std::string& name) {
  if (CClient* client = graph_.Line(line)) client->SetPeerName(address, name);
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
void CDispatchBridge::OpenDevices() {
  graph_.audio->OpenDevices();
}
void CDispatchBridge::RestartSound(SoundType type, bool announce) {
  graph_.audio->RestartSound(type, announce);
}
void CDispatchBridge::ReloadScopeZoom() {
  graph_.window->SetScopeZoom(graph_.params->GetInt("scopeZoom"));
}
void CDispatchBridge::UnfreezeScope() {
  graph_.window->UnfreezeScope();
}

void CDispatchBridge::ShowSliders() {
  const CAppState& s = graph_.state;
  graph_.window->SetSliders({static_cast<int>(s.speakerSlider), s.speakerSliderEnabled},
                            {static_cast<int>(s.micSlider), s.micSliderEnabled});
}

void CDispatchBridge::SendShort(uint32_t address, uint32_t c) {
  const auto bytes = datagram::BuildShort(c);
  graph_.socket->SendToPeer(address, bytes);
  if (c != code::kPresenceQuery) return;
  for (int n = 1; n <= 2; ++n) {
    if (CClient* line = graph_.Line(n); line && line->PeerAddress() == address)
      line->NoteProbeSent(CRoundTrip::SteadySeconds());
  }
}

void CDispatchBridge::SendSignalling(uint32_t address, uint32_t code, const std::string& text) {
  if (address == 0) return;
  const auto bytes = datagram::BuildSignalling(code, text);
  graph_.socket->SendToPeer(address, bytes);
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

void CDispatchBridge::Log(const std::string& text, uint32_t address) {
  graph_.log->Write(text, net::AddressText(address));
}

uint32_t CDispatchBridge::OwnAddress() {
  return graph_.ownAddress;
}
