#include "net/csignalling.h"

#include "core/codes.h"
#include "net/callevents.h"
#include "net/cclient.h"
#include "net/cclients.h"
#include "net/clocaladdresses.h"
#include "net/cpresence.h"
#include "net/cudpsocket.h"
#include "net/datagramwriter.h"
#include "settings/clog.h"

CSignalling::CSignalling(const std::atomic<int>& quitting, CClients& lines, CPresence& presence,
                         CallEvents& events, CallSettings settings, const CLocalAddresses& own, CLog& log,
                         const net::CUdpSocket& socket)
    : quitting_(quitting),
      lines_(lines),
      presence_(presence),
      events_(events),
      settings_(settings),
      own_(own),
      log_(log),
      socket_(socket) {}

void CSignalling::OnSignal(const ReceivedSignal& signal) {
  if (quitting_.load() > 0) return;
  const NetAddress& from = signal.from;
  const uint32_t c = signal.code;
  if (code::IsSpeexOption(c)) {
    events_.SpeexOptionReceived(c, signal.number);
  } else if ((c >= code::kRinging && c <= code::kHangUpAck) || c == code::kKeepAlive) {
    // Line codes, the unused ones among them, go to the line of their sender.
    lines_.RouteCode(from, c);
  } else {
    switch (c) {
      case code::kPresenceQuery:
        presence_.ProbeReceived(from);
        break;
      case code::kPresenceReply:
        presence_.ReplyReceived(from);
        break;
      case code::kOfflineNotice:
        presence_.GoodbyeReceived(from);
        break;
      case code::kBusyNotice:
      case code::kFreeNotice:
        presence_.BusyReceived(from, c == code::kBusyNotice);
        break;
      case code::kCallRequest:
        lines_.ReceiveCallRequest(from, signal.text);
        break;
      case code::kNameRequest:
        NameRequested(from);
        break;
      case code::kNameReply:
        NameReplied(from, signal.text);
        break;
      case code::kRejection:
        Rejected(from);
        break;
      case code::kSoundTypeRequest:
        events_.SoundTypeRequested(signal.number);
        break;
      default:
        break;
    }
  }
  events_.SignalHandled();
}

void CSignalling::NameRequested(const NetAddress& from) {
  // The called side of a call asks: only the line in a call with it answers.
  CClient* line = lines_.LineOf(from);
  if (!line) return;
  line->Send(code::kNameReply, settings_.UserName().value_or(own_.Toward(from).Text()));
}

void CSignalling::NameReplied(const NetAddress& from, const std::string& name) {
  if (CClient* line = lines_.LineOf(from)) line->SetPeerName(line->PeerAddress(), name);
}

void CSignalling::Rejected(const NetAddress& from) {
  if (lines_.EndRefusedCall(from)) {
    events_.CallRefused(from);
  } else {
    log_.Write("Rejection without a call dropped", from.Text());
  }
}
