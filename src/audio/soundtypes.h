#pragma once

#include <cstddef>
#include <cstdint>

// The sound type in force decides, for every audio object built after it is
// selected, the PCM format, the size of one frame and the number of device
// buffers. The type is process-wide; the audio threads read it while the main
// thread may select another, so the selection is one atomic pointer to an
// immutable table row and every getter sees one consistent row.

enum class SoundCodec : uint8_t { kGsm, kPcm, kSpeex8, kSpeex16, kSpeex32, kG711 };

struct SoundTypeInfo {
  uint32_t code;
  const char* name;  // shown as it stands, spacing quirks included
  SoundCodec codec;
  int32_t sampleRate;
  int32_t channels;
  int32_t bufferFactor;
  int32_t frameBytes;  // does not follow the channel count: stereo frames are half as long in time
};

// The record the playback and capture stand-ins turn into their stream format.
struct WaveFormat {
  uint16_t formatTag = 0;
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;
  uint16_t blockAlign = 0;
  uint16_t bitsPerSample = 0;
  uint16_t extraSize = 0;
};

inline constexpr uint16_t kWaveFormatPcm = 1;
inline constexpr int32_t kBitsPerSample = 16;
inline constexpr std::size_t kSoundTypeCount = 15;

// Selects a type for objects built from now on; false (and nothing changed)
// for a code that is not a sound type. Main thread, with the devices closed.
bool SetSoundType(uint32_t code);

// All 0 until the first selection.
int32_t GetSampleRate();
int32_t GetChannels();
int32_t GetBitsPerSample();
int32_t GetBufferFactor();
int32_t GetFrameBytes();

// Device queue depths. The playback side queues two frames per buffer, so it
// needs a quarter of the capture side's buffer count for the same latency.
int32_t GetCaptureBufferCount();   // 4 x factor buffers of one frame
int32_t GetPlaybackBufferCount();  // factor buffers of two frames
int32_t GetPlaybackBufferBytes();
// The speaker meter lags by the playback queue so that it shows what is heard.
int32_t GetSpeakerHistoryFrames();  // 2 x factor

void FillWaveFormat(WaveFormat& format);

// The row of any code, whether selected or not (a received datagram names
// its own type); nullptr for a code that is not a sound type.
const SoundTypeInfo* FindSoundType(uint32_t code);

// "" for a code that is not a sound type.
const char* SoundTypeName(uint32_t code);

// The properties dialog lists the types in its own order (codecs grouped,
// rates rising). -1 / 0 when the index or code is not in the list.
int SoundTypeToListIndex(uint32_t code);
uint32_t SoundTypeFromListIndex(int index);
