#include "net/cdatagramrouter.h"

#include <array>
#include <string>

#include "core/codes.h"
#include "core/receivedsignal.h"
#include "net/audioreceiver.h"
#include "net/datagramreader.h"

namespace {

// The codes the main thread's signalling takes: presence, the call lines
// (the unused codes among theirs too: the line ignores them), the name
// exchange, busy notices and rejections, sound-type requests and the Speex
// options. Anything else that is no sound type is dropped here.
struct CodeRange {
  uint32_t first;
  uint32_t last;
};
constexpr std::array kSignals{
    CodeRange{code::kPresenceQuery, code::kPresenceQuery},
    CodeRange{code::kPresenceReply, code::kPresenceReply},
    CodeRange{code::kOfflineNotice, code::kOfflineNotice},
    CodeRange{code::kCallRequest, code::kHangUpAck},
    CodeRange{code::kKeepAlive, code::kKeepAlive},
    CodeRange{code::kNameRequest, code::kNameReply},
    CodeRange{code::kBusyNotice, code::kRejection},
    CodeRange{code::kSoundTypeRequest, code::kSoundTypeRequest},
    CodeRange{code::kSpeexOptionFirst, code::kSpeexOptionLast},
};

bool IsSignal(uint32_t c) {
  for (const CodeRange& range : kSignals) {
    if (c >= range.first && c <= range.last) return true;
  }
  return false;
}

}  // namespace

CDatagramRouter::CDatagramRouter(SignalPort& port) : signals_(port) {}

void CDatagramRouter::OnDatagram(std::span<const uint8_t> bytes, const NetAddress& sender) {
  const uint32_t c = datagram::ReadCode(bytes);
  if (code::IsSoundType(c)) {
    RouteAudio(bytes, c, sender);
  } else if (IsSignal(c)) {
    signals_.Post(
        ReceivedSignal{sender, c, std::string(datagram::ReadText(bytes)), datagram::ReadNumber(bytes)});
  }
}

void CDatagramRouter::RouteAudio(std::span<const uint8_t> bytes, uint32_t code, const NetAddress& sender) {
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
