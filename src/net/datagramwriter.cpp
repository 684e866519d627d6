#include "net/datagramwriter.h"

#include <algorithm>
#include <charconv>

#include "core/codes.h"

namespace datagram {

namespace {

static_assert(kMaxFrameBytes <= 9999, "a Speex length must leave its zero byte in the field");

void PutCode(uint32_t code, std::span<uint8_t> out) {
  for (std::size_t i = 0; i < kCodeBytes; ++i) out[i] = static_cast<uint8_t>(code >> (8 * i));
}

// Where the frame of a sound type goes and how long that frame must be.
struct AudioShape {
  std::size_t payloadOffset;
  std::size_t minPayload;
  std::size_t maxPayload;
};

AudioShape ShapeOf(uint32_t soundType) {
  if (soundType == code::kSoundGsm) return {kAudioPayloadOffset, kGsmPayloadBytes, kGsmPayloadBytes};
  if (soundType == code::kSoundG711) return {kAudioPayloadOffset, kG711PayloadBytes, kG711PayloadBytes};
  if (code::IsSpeexType(soundType)) return {kSpeexPayloadOffset, 1, kMaxFrameBytes};
  return {kAudioPayloadOffset, 1, kMaxFrameBytes};
}

}  // namespace

ShortDatagram BuildShort(uint32_t code) {
  ShortDatagram out{};
  PutCode(code, out);
  return out;
}

SignallingDatagram BuildSignalling(uint32_t code, std::string_view text) {
  SignallingDatagram out{};
  PutCode(code, out);
  text = text.substr(0, std::min(text.find('\0'), kMaxTextChars));
  std::copy(text.begin(), text.end(), out.begin() + kTextOffset);
  return out;
}

SignallingDatagram BuildNumber(uint32_t code, int32_t value) {
  // Sign and ten digits of the widest 32-bit value.
  std::array<char, 11> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  return BuildSignalling(
      code, std::string_view(digits.data(), static_cast<std::size_t>(result.ptr - digits.data())));
}

std::size_t BuildAudio(SoundType type, std::span<const uint8_t> payload, std::span<uint8_t> out) {
  const uint32_t soundType = WireCode(type);
  if (!code::IsSoundType(soundType)) return 0;
  const AudioShape shape = ShapeOf(soundType);
  if (payload.size() < shape.minPayload || payload.size() > shape.maxPayload) return 0;
  const std::size_t length = shape.payloadOffset + payload.size();
  if (out.size() < length) return 0;

  std::fill_n(out.begin(), shape.payloadOffset, uint8_t{0});
  PutCode(soundType, out);
  if (code::IsSpeexType(soundType)) {
    // At most four digits, since the payload is at most kMaxFrameBytes, so
    // the field keeps its terminating zero.
    auto* field = reinterpret_cast<char*>(out.data() + kSpeexLengthOffset);
    std::to_chars(field, field + kSpeexLengthFieldBytes - 1, payload.size());
  }
  std::copy(payload.begin(), payload.end(), out.begin() + static_cast<std::ptrdiff_t>(shape.payloadOffset));
  return length;
}

}  // namespace datagram
