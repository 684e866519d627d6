#include "net/cpresence.h"

#include "core/codes.h"
#include "core/roundtrip.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "net/cudpsocket.h"
#include "net/datagramwriter.h"
#include "settings/ccontact.h"
#include "settings/ccontacts.h"

CPresence::CPresence(CContacts& contacts, CClients& lines, const net::CUdpSocket& socket)
    : contacts_(contacts), lines_(lines), socket_(socket) {}

void CPresence::Tick() {
  contacts_.Tick([this](const NetAddress& address) {
    SendShort(address, code::kPresenceQuery);
    SendShort(address, busy_ ? code::kBusyNotice : code::kFreeNotice);
    // The probe's answer also times the way to a peer in a call.
    for (int n = 1; n <= 2; ++n) {
      if (CClient* line = lines_.Line(n); line && line->PeerAddress().SameHost(address))
        line->NoteProbeSent(CRoundTrip::SteadySeconds());
    }
  });
}

void CPresence::SetBusy(bool busy) {
  if (busy == busy_) return;
  busy_ = busy;
  TellEveryClient(busy ? code::kBusyNotice : code::kFreeNotice);
}

void CPresence::ProbeReceived(const NetAddress& from) {
  SendShort(from, code::kPresenceReply);
  contacts_.MarkOnline(from);
}

void CPresence::ReplyReceived(const NetAddress& from) {
  for (int n = 1; n <= 2; ++n) {
    if (CClient* line = lines_.Line(n); line && line->PeerAddress().SameHost(from))
      line->NoteProbeAnswered(CRoundTrip::SteadySeconds());
  }
  contacts_.MarkOnline(from);
}

void CPresence::BusyReceived(const NetAddress& from, bool busy) {
  contacts_.BusyChanged(from, busy);
}

void CPresence::GoodbyeReceived(const NetAddress& from) {
  contacts_.GoneOffline(from);
  lines_.RouteCode(from, code::kHangUp);
}

void CPresence::SayGoodbye() {
  TellEveryClient(code::kOfflineNotice);
}

void CPresence::SendShort(const NetAddress& to, uint32_t c) {
  if (to.IsNone()) return;
  const auto bytes = datagram::BuildShort(c);
  // To the netPort, where every peer's copy listens.
  socket_.Send(to.Host(), bytes);
}

void CPresence::TellEveryClient(uint32_t c) {
  // Its own walk, so that a walk of the dialogs going on is not disturbed.
  contacts_.RewindBroadcast();
  std::string address, name;
  while (contacts_.NextBroadcast(address, name)) SendShort(NetAddress::Parse(address), c);
}
