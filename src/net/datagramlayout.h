#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Byte layouts of the datagrams two copies of the program exchange. Both
// ends must agree on every number here, so they are fixed, not tunable.
// Integers are little-endian; texts are 8-bit and end in a zero byte.
namespace datagram {

inline constexpr std::size_t kCodeBytes = 4;

// Presence, busy, free and rejection notices: the code alone.
inline constexpr std::size_t kShortBytes = kCodeBytes;

// Call signalling and option values: code, 4 zero bytes, a 512-byte text
// field that always keeps room for its terminating zero.
inline constexpr std::size_t kTextOffset = 8;
inline constexpr std::size_t kTextFieldBytes = 512;
inline constexpr std::size_t kMaxTextChars = kTextFieldBytes - 1;
inline constexpr std::size_t kSignallingBytes = kTextOffset + kTextFieldBytes;

// GSM, G.711 and PCM audio: code, 4 zero bytes, one encoded frame.
inline constexpr std::size_t kAudioPayloadOffset = 8;
inline constexpr std::size_t kGsmPayloadBytes = 33;
inline constexpr std::size_t kG711PayloadBytes = 160;

// Speex audio: code, the payload length as decimal digits with their zero
// byte in a 5-byte field, then the encoded frame.
inline constexpr std::size_t kSpeexLengthOffset = 4;
inline constexpr std::size_t kSpeexLengthFieldBytes = 5;
inline constexpr std::size_t kSpeexPayloadOffset = kSpeexLengthOffset + kSpeexLengthFieldBytes;

// The largest frame of any sound type: 32 kHz Speex and 44 kHz PCM.
inline constexpr std::size_t kMaxFrameBytes = 1280;
inline constexpr std::size_t kMaxAudioBytes = kSpeexPayloadOffset + kMaxFrameBytes;

using ShortDatagram = std::array<uint8_t, kShortBytes>;
using SignallingDatagram = std::array<uint8_t, kSignallingBytes>;
// Large enough for an audio datagram of every sound type, so the send path
// can keep one and never allocate.
using AudioDatagram = std::array<uint8_t, kMaxAudioBytes>;

}  // namespace datagram
