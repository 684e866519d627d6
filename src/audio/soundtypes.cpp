#include "audio/soundtypes.h"

#include <array>

#include "core/codes.h"

namespace {

// Code order, so a row is found by code - kSoundFirst.
constexpr std::array<SoundTypeInfo, kSoundTypeCount> kTable{{
    {9050, "GSM 8 kHz mono", SoundCodec::kGsm, 8000, 1, 4, 320},
    {9051, "PCM 8 kHz mono", SoundCodec::kPcm, 8000, 1, 4, 320},
    {9052, "PCM 8 kHz stereo", SoundCodec::kPcm, 8000, 2, 16, 320},
    {9053, "PCM 16 kHz mono", SoundCodec::kPcm, 16000, 1, 4, 640},
    {9054, "PCM 16 kHz stereo", SoundCodec::kPcm, 16000, 2, 16, 640},
    {9055, "PCM 22 kHz mono", SoundCodec::kPcm, 22050, 1, 16, 320},
    {9056, "PCM 22 kHz stereo", SoundCodec::kPcm, 22050, 2, 256, 640},
    {9057, "PCM 44 kHz stereo", SoundCodec::kPcm, 44100, 2, 256, 1280},
    {9058, "Speex 8 kHz mono", SoundCodec::kSpeex8, 8000, 1, 4, 320},
    {9059, "Speex 16 kHz mono", SoundCodec::kSpeex16, 16000, 1, 4, 640},
    {9060, "Speex 16 kHz stereo", SoundCodec::kSpeex16, 16000, 2, 16, 640},
    {9061, "Speex 32 kHz mono", SoundCodec::kSpeex32, 32000, 1, 4, 1280},
    {9062, "Speex 32 kHz stereo", SoundCodec::kSpeex32, 32000, 2, 16, 1280},
    {9063, "PCM 11kHz mono", SoundCodec::kPcm, 11025, 1, 4, 320},
    {9064, "G711 uLaw 8kHz", SoundCodec::kG711, 8000, 1, 4, 320},
}};
static_assert(kTable.front().code == code::kSoundFirst && kTable.back().code == code::kSoundLast);
static_assert(kTable.size() == code::kSoundLast - code::kSoundFirst + 1);

constexpr std::array<uint32_t, kSoundTypeCount> kListOrder{
    9050, 9064, 9051, 9052, 9063, 9053, 9054, 9055, 9056, 9057, 9058, 9059, 9060, 9061, 9062,
};

// What a format that is none reports.
constexpr SoundTypeInfo kNone{0, "", SoundCodec::kPcm, 0, 0, 0, 0};

}  // namespace

const SoundTypeInfo* FindSoundType(uint32_t c) {
  if (!code::IsSoundType(c)) return nullptr;
  return &kTable[c - code::kSoundFirst];
}

SoundFormat::SoundFormat() : row_(&kNone) {}

SoundFormat SoundFormat::Of(uint32_t c) {
  const SoundTypeInfo* row = FindSoundType(c);
  return SoundFormat(row ? row : &kNone);
}

WaveFormat SoundFormat::Wave() const {
  WaveFormat format;
  const auto blockAlign = static_cast<uint16_t>(Channels() * 2);
  format.formatTag = kWaveFormatPcm;
  format.channels = static_cast<uint16_t>(Channels());
  format.samplesPerSec = static_cast<uint32_t>(SampleRate());
  format.bitsPerSample = static_cast<uint16_t>(BitsPerSample());
  format.blockAlign = blockAlign;
  format.avgBytesPerSec = blockAlign * static_cast<uint32_t>(SampleRate());
  format.extraSize = 0;
  return format;
}

const char* SoundTypeName(uint32_t c) {
  const SoundTypeInfo* row = FindSoundType(c);
  return row == nullptr ? "" : row->name;
}

int SoundTypeToListIndex(uint32_t c) {
  for (std::size_t i = 0; i < kListOrder.size(); ++i) {
    if (kListOrder[i] == c) return static_cast<int>(i);
  }
  return -1;
}

uint32_t SoundTypeFromListIndex(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= kListOrder.size()) return 0;
  return kListOrder[static_cast<std::size_t>(index)];
}
