#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// G.711 mu-law, the program's own few lines rather than a library: the law is
// fixed by the standard and the peer expects exactly these codes. Stateless,
// so the capture and receive threads may use one object at once.
class CG711 {
 public:
  static constexpr std::size_t kSamples = 160;  // one 20 ms frame at 8 kHz, one byte a sample

  // Frames of other lengths are refused (false) and the output left as it is.
  bool Encode(std::span<const int16_t> pcm, std::span<uint8_t> encoded) const;
  bool Decode(std::span<const uint8_t> encoded, std::span<int16_t> pcm) const;

  // The 16-bit form of the law: no clipping stage before the bias, so the
  // two extremes land on the loudest codes.
  static uint8_t EncodeSample(int16_t sample);
  static int16_t DecodeSample(uint8_t code);
};
