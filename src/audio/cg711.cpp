#include "audio/cg711.h"

#include <array>

namespace {

constexpr int32_t kBias = 0x84;
constexpr std::array<int32_t, 8> kSegmentEnds{0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF, 0x3FFF, 0x7FFF};

constexpr int16_t Expand(uint8_t code) {
  const int32_t complement = static_cast<uint8_t>(~code);
  int32_t t = ((complement & 0x0F) << 3) + kBias;
  t <<= (complement & 0x70) >> 4;
  return static_cast<int16_t>((code & 0x80) != 0 ? t - kBias : kBias - t);
}

// Decoding runs on every received byte, so the 256 answers are worked out once.
constexpr std::array<int16_t, 256> kExpanded = [] {
  std::array<int16_t, 256> table{};
  for (int code = 0; code < 256; ++code)
    table[static_cast<std::size_t>(code)] = Expand(static_cast<uint8_t>(code));
  return table;
}();

}  // namespace

uint8_t CG711::EncodeSample(int16_t sample) {
  int32_t magnitude = sample;
  int32_t mask = 0xFF;
  if (magnitude < 0) {
    magnitude = -magnitude;
    mask = 0x7F;
  }
  magnitude += kBias;
  for (int32_t segment = 0; segment < static_cast<int32_t>(kSegmentEnds.size()); ++segment) {
    if (magnitude <= kSegmentEnds[static_cast<std::size_t>(segment)]) {
      const int32_t code = (segment << 4) | ((magnitude >> (segment + 3)) & 0x0F);
      return static_cast<uint8_t>(code ^ mask);
    }
  }
  return static_cast<uint8_t>(0x7F ^ mask);
}

int16_t CG711::DecodeSample(uint8_t code) {
  return kExpanded[code];
}

bool CG711::Encode(std::span<const int16_t> pcm, std::span<uint8_t> encoded) const {
  if (pcm.size() != kSamples || encoded.size() != kSamples) return false;
  for (std::size_t i = 0; i < kSamples; ++i) encoded[i] = EncodeSample(pcm[i]);
  return true;
}

bool CG711::Decode(std::span<const uint8_t> encoded, std::span<int16_t> pcm) const {
  if (pcm.size() != kSamples || encoded.size() != kSamples) return false;
  for (std::size_t i = 0; i < kSamples; ++i) pcm[i] = kExpanded[encoded[i]];
  return true;
}
