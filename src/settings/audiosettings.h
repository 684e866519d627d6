#pragma once

#include <cstdint>

class SettingsStore;

// The sound settings as the audio objects use them, read afresh each time
// they are asked for, so a change in the properties is seen at the next
// open or reload. Main thread.
class AudioSettings {
 public:
  // The filters' values as stored, each default written back where none
  // (or, for a frequency, Q or scale, a meaningless 0) is stored; a gain of
  // 0 dB and 0 cascades are values like any other.
  struct Filters {
    bool limiterOn = false;
    bool bandpassOn = false;
    int32_t frequency = 0;  // Hz
    int32_t gainDb = 0;
    int32_t qHundredths = 0;
    int32_t scaleTenths = 0;
    int32_t cascades = 0;
  };

  // The Speex 8 kHz encoder's options as stored; 0 for one never set.
  struct SpeexOptions {
    int32_t quality = 0;
    int32_t complexity = 0;
    int32_t enhancer = 0;
    int32_t vbrQuality = 0;
    int32_t vbr = 0;
    int32_t vad = 0;
    int32_t dtx = 0;
  };

  static constexpr int32_t kDefaultPreBuffer = 15;

  // Not explicit: any settings store is also its sound settings.
  AudioSettings(SettingsStore& store) : store_(store) {}  // NOLINT(google-explicit-constructor)

  // The devices as the sound backend numbers them; -1 for the default.
  int SpeakerDevice() const;
  int MicDevice() const;
  // The microphone slider and capture act on the line input.
  bool LineIn() const;
  bool LowLatency() const;
  bool EchoCancel() const;
  bool NoiseSuppress() const;
  // Frames the spool holds before it plays; the default is written back
  // when none is stored.
  int32_t PreBuffer() const;
  Filters LoadFilters() const;
  SpeexOptions Speex() const;

 private:
  SettingsStore& store_;
};
