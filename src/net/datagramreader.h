#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "net/datagramlayout.h"

// Readers of received datagrams. Each takes exactly the received bytes and
// never reads past them; a byte the datagram does not have reads as zero,
// so a short datagram behaves as if the rest of it were cleared.
namespace datagram {

// A datagram shorter than the code reads as its bytes followed by zeros.
uint32_t ReadCode(std::span<const uint8_t> bytes);

// The text of a signalling datagram, up to its zero byte or the last
// received byte, whichever comes first. The view points into bytes.
std::string_view ReadText(std::span<const uint8_t> bytes);

// The decimal value of the text of a signalling datagram, as Speex options
// and sound-type requests carry it; 0 when the text is not a number.
int32_t ReadNumber(std::span<const uint8_t> bytes);

// The payload length a Speex datagram declares. Only the length field is
// read, so digits running on into the payload do not count.
int32_t ReadSpeexLength(std::span<const uint8_t> bytes);

// The Speex payload: the declared length from its offset, cut to what was
// received; empty when the declared length is not positive. A caller that
// must not decode a cut frame compares the size with ReadSpeexLength.
std::span<const uint8_t> SpeexPayload(std::span<const uint8_t> bytes);

// Copies the frame of a GSM, G.711 or PCM datagram into out. The part the
// datagram lacks is zero, so a short PCM datagram plays its tail as silence.
void ReadPayload(std::span<const uint8_t> bytes, std::span<uint8_t> out);

}  // namespace datagram
