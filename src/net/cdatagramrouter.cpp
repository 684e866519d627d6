#include "net/cdatagramrouter.h"

#include <array>
#include <string>

#include "core/codes.h"
#include "core/windowport.h"
#include "net/audioreceiver.h"
#include "net/datagramreader.h"

namespace {

enum class Action {
  kAudio,       // to the audio receiver
  kPostSender,  // 1025 with the sender's address
  kPostNumber,  // 1025 with the decimal value of the text
  kPostText,    // 1026 with the sender's address and the text
};

// What a range of received codes becomes. kSameCode posts the received code.
struct Route {
  uint32_t first;
  uint32_t last;
  Action action;
  uint32_t posted;
};

constexpr uint32_t kSameCode = 0;

// The line codes 9024 to 9032 include a few the program never sends; they
// are passed on all the same, and the line ignores them.
constexpr std::array kRoutes{
    Route{code::kSoundFirst, code::kSoundLast, Action::kAudio, kSameCode},
    Route{code::kSpeexOptionFirst, code::kSpeexOptionLast, Action::kPostNumber, kSameCode},
    Route{code::kPresenceQuery, code::kPresenceQuery, Action::kPostSender,
          Number(WindowMessage::kPresenceQueryReceived)},
    Route{code::kPresenceReply, code::kPresenceReply, Action::kPostSender,
          Number(WindowMessage::kPresenceReplyReceived)},
    Route{code::kOfflineNotice, code::kOfflineNotice, Action::kPostSender,
          Number(WindowMessage::kOfflineNoticeReceived)},
    Route{code::kCallRequest, code::kCallRequest, Action::kPostText, kSameCode},
    Route{code::kRinging, code::kHangUpAck, Action::kPostSender, kSameCode},
    Route{code::kKeepAlive, code::kKeepAlive, Action::kPostSender, kSameCode},
    Route{code::kNameRequest, code::kNameRequest, Action::kPostSender, kSameCode},
    Route{code::kNameReply, code::kNameReply, Action::kPostText, kSameCode},
    Route{code::kBusyNotice, code::kRejection, Action::kPostSender, kSameCode},
    Route{code::kSoundTypeRequest, code::kSoundTypeRequest, Action::kPostNumber, kSameCode},
};

const Route* FindRoute(uint32_t code) {
  for (const Route& route : kRoutes) {
    if (code >= route.first && code <= route.last) return &route;
  }
  return nullptr;
}

}  // namespace

CDatagramRouter::CDatagramRouter(WindowPort& window) : window_(window) {}

void CDatagramRouter::OnDatagram(std::span<const uint8_t> bytes, uint32_t sender) {
  const uint32_t code = datagram::ReadCode(bytes);
  const Route* route = FindRoute(code);
  if (route == nullptr) return;
  const uint32_t posted = route->posted == kSameCode ? code : route->posted;
  switch (route->action) {
    case Action::kAudio:
      RouteAudio(bytes, code, sender);
      break;
    case Action::kPostSender:
      window_.PostCode(posted, static_cast<int64_t>(sender));
      break;
    case Action::kPostNumber:
      window_.PostCode(posted, datagram::ReadNumber(bytes));
      break;
    case Action::kPostText:
      window_.PostRecord(posted,
                         TextRecord{static_cast<int32_t>(sender), std::string(datagram::ReadText(bytes))});
      break;
  }
}

void CDatagramRouter::RouteAudio(std::span<const uint8_t> bytes, uint32_t code, uint32_t sender) {
  // Counted before the receiver is loaded: SetAudioReceiver stores first and
  // counts after, so either this call sees the new receiver or the setter
  // sees this call and waits for it.
  audioCallsRunning_.fetch_add(1);
  const auto type = SoundTypeOf(code);
  if (AudioReceiver* receiver = audio_.load(); receiver && type) receiver->ReceiveAudio(bytes, *type, sender);
  if (audioCallsRunning_.fetch_sub(1) == 1) audioCallsRunning_.notify_all();
}

void CDatagramRouter::SetAudioReceiver(AudioReceiver* receiver) {
  audio_.store(receiver);
  for (int running = audioCallsRunning_.load(); running != 0; running = audioCallsRunning_.load())
    audioCallsRunning_.wait(running);
}
