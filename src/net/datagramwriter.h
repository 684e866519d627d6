#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/soundtype.h"
#include "net/datagramlayout.h"

// Builders of every datagram the program sends. They write into fixed
// buffers so that the audio send path, which runs in a capture callback,
// never allocates.
namespace datagram {

ShortDatagram BuildShort(uint32_t code);

// The text is cut at its first zero byte and to kMaxTextChars, so a long
// text shortens instead of overrunning the field.
SignallingDatagram BuildSignalling(uint32_t code, std::string_view text);

// A signalling datagram carrying value in decimal: Speex options and
// sound-type requests travel this way.
SignallingDatagram BuildNumber(uint32_t code, int32_t value);

// Builds the audio datagram of soundType around one encoded frame and
// returns its length. 0 means there is nothing to send: the code is not a
// sound type, the payload does not fit the type (GSM takes 33 bytes, G.711
// 160, PCM and Speex 1 to kMaxFrameBytes), or out is too small.
std::size_t BuildAudio(SoundType type, std::span<const uint8_t> payload, std::span<uint8_t> out);

}  // namespace datagram
