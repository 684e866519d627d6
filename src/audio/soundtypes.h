#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/soundtype.h"

// The fifteen sound types: for each, the PCM format of the devices, the size
// of one frame and the depth of the device queues. Every audio object is made
// for one type and takes its SoundFormat as a value; a change of type builds
// new objects instead of resizing them.

enum class SoundCodec : uint8_t { kGsm, kPcm, kSpeex8, kSpeex16, kSpeex32, kG711 };

struct SoundTypeInfo {
  SoundType type;
  const char* name;  // shown as it stands, spacing quirks included
  SoundCodec codec;
  int32_t sampleRate;
  int32_t channels;
  int32_t bufferFactor;
  int32_t frameBytes;  // does not follow the channel count: stereo frames are half as long in time
};

inline constexpr int32_t kBitsPerSample = 16;
inline constexpr std::size_t kSoundTypeCount = 15;

// One sound type's figures, as a value. A default-made format is none: every
// figure 0, and the objects made for it stay silent.
class SoundFormat {
 public:
  SoundFormat();
  static SoundFormat Of(SoundType type);

  bool IsValid() const { return WireCode(row_->type) != 0; }
  SoundType Type() const { return row_->type; }
  SoundCodec Codec() const { return row_->codec; }
  int32_t SampleRate() const { return row_->sampleRate; }
  int32_t Channels() const { return row_->channels; }
  int32_t BitsPerSample() const { return IsValid() ? kBitsPerSample : 0; }
  int32_t BufferFactor() const { return row_->bufferFactor; }
  int32_t FrameBytes() const { return row_->frameBytes; }
  std::size_t FrameSamples() const { return static_cast<std::size_t>(row_->frameBytes / 2); }

  // Device queue depths. The playback side queues two frames per buffer, so
  // it needs a quarter of the capture side's buffer count for the same latency.
  int32_t CaptureBufferCount() const { return 4 * BufferFactor(); }  // buffers of one frame
  int32_t PlaybackBufferCount() const { return BufferFactor(); }     // buffers of two frames
  int32_t PlaybackBufferBytes() const { return 2 * FrameBytes(); }
  // The speaker meter lags by the playback queue so that it shows what is heard.
  int32_t SpeakerHistoryFrames() const { return 2 * BufferFactor(); }

  friend bool operator==(const SoundFormat& a, const SoundFormat& b) { return a.row_ == b.row_; }

 private:
  explicit SoundFormat(const SoundTypeInfo* row) : row_(row) {}
  const SoundTypeInfo* row_;  // an immutable table row, never null
};

// The row of a sound type.
const SoundTypeInfo& FindSoundType(SoundType type);

const char* SoundTypeName(SoundType type);

// The properties dialog lists the types in its own order (codecs grouped,
// rates rising). Nothing for an index outside the list.
int SoundTypeToListIndex(SoundType type);
std::optional<SoundType> SoundTypeFromListIndex(int index);
