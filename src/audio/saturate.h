#pragma once

#include <cstdint>
#include <limits>

// Decoders and filters can produce values beyond the 16-bit range; wrapping
// would turn a loud peak into a full-scale click of the other sign, so every
// conversion to a sample clamps instead.

inline int16_t SaturateToSample(int32_t value) {
  if (value > std::numeric_limits<int16_t>::max()) return std::numeric_limits<int16_t>::max();
  if (value < std::numeric_limits<int16_t>::min()) return std::numeric_limits<int16_t>::min();
  return static_cast<int16_t>(value);
}

// Truncates toward zero as a plain cast would, but never converts a value
// outside the range (undefined behaviour for a float). NaN becomes silence.
inline int16_t SaturateToSample(float value) {
  if (value >= 32767.0f) return std::numeric_limits<int16_t>::max();
  if (value <= -32768.0f) return std::numeric_limits<int16_t>::min();
  if (value != value) return 0;
  return static_cast<int16_t>(value);
}
