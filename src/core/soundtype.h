#pragma once

#include <cstdint>
#include <optional>

#include "core/codes.h"

// The fifteen sound types. Each travels as the code of its audio datagrams
// and is stored (setting "SndType") and asked for (9048, 9049) by that
// number; everywhere else it is this type, and WireCode and SoundTypeOf are
// the way between the two.
enum class SoundType : uint32_t {
  kGsm8 = 9050,
  kPcm8Mono = 9051,
  kPcm8Stereo = 9052,
  kPcm16Mono = 9053,
  kPcm16Stereo = 9054,
  kPcm22Mono = 9055,
  kPcm22Stereo = 9056,
  kPcm44Stereo = 9057,
  kSpeex8Mono = 9058,
  kSpeex16Mono = 9059,
  kSpeex16Stereo = 9060,
  kSpeex32Mono = 9061,
  kSpeex32Stereo = 9062,
  kPcm11Mono = 9063,
  kG711 = 9064,
};

constexpr uint32_t WireCode(SoundType type) {
  return static_cast<uint32_t>(type);
}

// Nothing for a number that names no sound type.
constexpr std::optional<SoundType> SoundTypeOf(int64_t number) {
  if (number < code::kSoundFirst || number > code::kSoundLast) return std::nullopt;
  return static_cast<SoundType>(number);
}
