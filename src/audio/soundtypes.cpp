#include "audio/soundtypes.h"

#include <array>

#include "core/codes.h"

namespace {

// Code order, so a row is found by its code - kSoundFirst.
constexpr std::array<SoundTypeInfo, kSoundTypeCount> kTable{{
    {SoundType::kGsm8, "GSM 8 kHz mono", SoundCodec::kGsm, 8000, 1, 4, 320},
    {SoundType::kPcm8Mono, "PCM 8 kHz mono", SoundCodec::kPcm, 8000, 1, 4, 320},
    {SoundType::kPcm8Stereo, "PCM 8 kHz stereo", SoundCodec::kPcm, 8000, 2, 16, 320},
    {SoundType::kPcm16Mono, "PCM 16 kHz mono", SoundCodec::kPcm, 16000, 1, 4, 640},
    {SoundType::kPcm16Stereo, "PCM 16 kHz stereo", SoundCodec::kPcm, 16000, 2, 16, 640},
    {SoundType::kPcm22Mono, "PCM 22 kHz mono", SoundCodec::kPcm, 22050, 1, 16, 320},
    {SoundType::kPcm22Stereo, "PCM 22 kHz stereo", SoundCodec::kPcm, 22050, 2, 256, 640},
    {SoundType::kPcm44Stereo, "PCM 44 kHz stereo", SoundCodec::kPcm, 44100, 2, 256, 1280},
    {SoundType::kSpeex8Mono, "Speex 8 kHz mono", SoundCodec::kSpeex8, 8000, 1, 4, 320},
    {SoundType::kSpeex16Mono, "Speex 16 kHz mono", SoundCodec::kSpeex16, 16000, 1, 4, 640},
    {SoundType::kSpeex16Stereo, "Speex 16 kHz stereo", SoundCodec::kSpeex16, 16000, 2, 16, 640},
    {SoundType::kSpeex32Mono, "Speex 32 kHz mono", SoundCodec::kSpeex32, 32000, 1, 4, 1280},
    {SoundType::kSpeex32Stereo, "Speex 32 kHz stereo", SoundCodec::kSpeex32, 32000, 2, 16, 1280},
    {SoundType::kPcm11Mono, "PCM 11kHz mono", SoundCodec::kPcm, 11025, 1, 4, 320},
    {SoundType::kG711, "G711 uLaw 8kHz", SoundCodec::kG711, 8000, 1, 4, 320},
}};
static_assert(WireCode(kTable.front().type) == code::kSoundFirst &&
              WireCode(kTable.back().type) == code::kSoundLast);
static_assert(kTable.size() == code::kSoundLast - code::kSoundFirst + 1);

constexpr std::array<SoundType, kSoundTypeCount> kListOrder{
    SoundType::kGsm8,          SoundType::kG711,        SoundType::kPcm8Mono,      SoundType::kPcm8Stereo,
    SoundType::kPcm11Mono,     SoundType::kPcm16Mono,   SoundType::kPcm16Stereo,   SoundType::kPcm22Mono,
    SoundType::kPcm22Stereo,   SoundType::kPcm44Stereo, SoundType::kSpeex8Mono,    SoundType::kSpeex16Mono,
    SoundType::kSpeex16Stereo, SoundType::kSpeex32Mono, SoundType::kSpeex32Stereo,
};

// What a format that is none reports.
constexpr SoundTypeInfo kNone{SoundType{0}, "", SoundCodec::kPcm, 0, 0, 0, 0};

}  // namespace

const SoundTypeInfo& FindSoundType(SoundType type) {
  return kTable[WireCode(type) - code::kSoundFirst];
}

SoundFormat::SoundFormat() : row_(&kNone) {}

SoundFormat SoundFormat::Of(SoundType type) {
  return SoundFormat(&FindSoundType(type));
}

const char* SoundTypeName(SoundType type) {
  return FindSoundType(type).name;
}

int SoundTypeToListIndex(SoundType type) {
  for (std::size_t i = 0; i < kListOrder.size(); ++i) {
    if (kListOrder[i] == type) return static_cast<int>(i);
  }
  return -1;
}

std::optional<SoundType> SoundTypeFromListIndex(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= kListOrder.size()) return std::nullopt;
  return kListOrder[static_cast<std::size_t>(index)];
}
