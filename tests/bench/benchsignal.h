#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <vector>

// A few seconds' worth of speech-like frames (a wandering pitch with
// harmonics and some noise), so codecs see changing input as in a call.
inline std::vector<std::vector<int16_t>> SpeechFrames(std::size_t samples, double rate,
                                                      std::size_t count = 50) {
  std::vector<std::vector<int16_t>> frames(count, std::vector<int16_t>(samples));
  uint32_t noise = 12345;
  double phase = 0;
  for (std::size_t f = 0; f < count; ++f) {
    for (std::size_t i = 0; i < samples; ++i) {
      const double t = static_cast<double>(f * samples + i) / rate;
      const double pitch = 140 + 40 * std::sin(2 * std::numbers::pi * 1.3 * t);
      phase += 2 * std::numbers::pi * pitch / rate;
      noise = noise * 1664525u + 1013904223u;
      const double value = 6000 * std::sin(phase) + 3000 * std::sin(3 * phase) + 1500 * std::sin(7 * phase) +
                           static_cast<double>(static_cast<int32_t>(noise >> 20) - 2048);
      frames[f][i] = static_cast<int16_t>(value);
    }
  }
  return frames;
}
