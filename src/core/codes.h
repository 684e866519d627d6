#pragma once

#include <cstdint>

// The codes of the datagrams two copies exchange. Line states, sound types
// and the window's own messages carry the same numbers but have types of
// their own (core/linestate.h, core/soundtype.h, core/windowmessage.h).
namespace code {

inline constexpr uint32_t kPresenceQuery = 9005;
inline constexpr uint32_t kPresenceReply = 9008;
inline constexpr uint32_t kOfflineNotice = 9011;
inline constexpr uint32_t kIncoming = 9021;
inline constexpr uint32_t kOutgoing = 9022;
inline constexpr uint32_t kCallRequest = 9023;
inline constexpr uint32_t kRinging = 9024;
inline constexpr uint32_t kAnswer = 9025;
inline constexpr uint32_t kAnswerConfirmation = 9027;
inline constexpr uint32_t kHangUp = 9031;
inline constexpr uint32_t kHangUpAck = 9032;
inline constexpr uint32_t kKeepAlive = 9034;
inline constexpr uint32_t kNameRequest = 9039;
inline constexpr uint32_t kNameReply = 9040;
inline constexpr uint32_t kBusyNotice = 9042;
inline constexpr uint32_t kFreeNotice = 9043;
inline constexpr uint32_t kRejection = 9044;
inline constexpr uint32_t kSoundTypeRequest = 9048;

// Sound types: GSM, PCM at five rates and two layouts, Speex, G.711.
inline constexpr uint32_t kSoundGsm = 9050;
inline constexpr uint32_t kSoundFirst = 9050;
inline constexpr uint32_t kSoundLast = 9064;
inline constexpr uint32_t kSpeexFirst = 9058;
inline constexpr uint32_t kSpeexLast = 9062;
inline constexpr uint32_t kSoundG711 = 9064;

inline constexpr uint32_t kSpeexQuality = 9100;
inline constexpr uint32_t kSpeexComplexity = 9101;
inline constexpr uint32_t kSpeexVbrQuality = 9102;
inline constexpr uint32_t kSpeexVbr = 9103;
inline constexpr uint32_t kSpeexVad = 9104;
inline constexpr uint32_t kSpeexDtx = 9105;
inline constexpr uint32_t kSpeexOptionFirst = 9100;
inline constexpr uint32_t kSpeexOptionLast = 9105;

constexpr bool IsSoundType(uint32_t c) {
  return c >= kSoundFirst && c <= kSoundLast;
}
constexpr bool IsSpeexType(uint32_t c) {
  return c >= kSpeexFirst && c <= kSpeexLast;
}
constexpr bool IsSpeexOption(uint32_t c) {
  return c >= kSpeexOptionFirst && c <= kSpeexOptionLast;
}

}  // namespace code
