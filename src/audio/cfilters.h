#pragma once

#include <cstdint>
#include <span>

#include "audio/cpeakingfilter.h"
#include "audio/ctriplebuffer.h"
#include "audio/soundtypes.h"
#include "settings/audiosettings.h"

// The processing of received audio just before it is played: the peaking
// filter ("Bandpass"), the limiter driven by the speaker volume slider, and
// the two frame operations the speaker spool uses to skip and to conceal.
//
// Threads: the four frame operations run on the playback thread only (from
// the spool's Get); LoadFilterSettings runs on the main thread, also while
// audio plays. A reload builds a complete new set and publishes it in one
// step, so an operation works with either the old set or the new one, never
// a mixture, and neither side waits. Operations work on the length of the
// span they are given.
class CFilters {
 public:
  struct Settings {
    bool bandpassOn = false;
    bool limiterOn = false;
    float frequency = 0;  // as stored, before any limit to half the sample rate
    float gain = 0;
    float q = 0;
    int32_t channels = 0;
    int32_t frameBytes = 0;
    CPeakingFilter bandpass;
  };

  // Cascades beyond what the properties dialog offers would only burn the
  // playback thread's time; gains beyond it would make the filter unstable.
  static constexpr int32_t kMaxCascades = 20;
  static constexpr int32_t kMaxGainDb = 15;

  explicit CFilters(AudioSettings settings, SoundFormat format = {});
  CFilters(const CFilters&) = delete;
  CFilters& operator=(const CFilters&) = delete;

  // Reads the settings, writing back the default of each one not set (and
  // of a frequency, Q or scale of 0, which would mean nothing; a gain of
  // 0 dB and 0 cascades are kept and used), and publishes them, designed
  // for the format's sample rate, channels and frame bytes, to the playback
  // thread. Main thread.
  void LoadFilterSettings();
  // A new sound type: the filters are designed again for it. Main thread.
  void SetFormat(SoundFormat format);

  // The set last loaded. Main thread.
  const Settings& Loaded() const { return loaded_; }

  void Bandpass(std::span<int16_t> frame);

  // Clamps to +-(level - level / 2), half the slider position; nothing when
  // the limiter is off or level is 0 (no volume control to follow).
  void Limit(std::span<int16_t> frame, int32_t level);

  // Mean of the two frames up to the first position where their samples sum
  // to zero; destination keeps its own samples from there on. destination may
  // be next (the spool blends a skipped frame into the one that follows it).
  void Average(std::span<int16_t> destination, std::span<const int16_t> skipped,
               std::span<const int16_t> next);

  // Time reversal; stereo pairs keep their left-right order.
  void Reverse(std::span<int16_t> frame);

 private:
  AudioSettings settings_;
  SoundFormat format_;
  Settings loaded_;
  CTripleBuffer<Settings> published_;
};
