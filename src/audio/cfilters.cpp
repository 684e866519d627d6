#include "audio/cfilters.h"

#include <algorithm>
#include <utility>

#include "audio/soundtypes.h"

CFilters::CFilters(AudioSettings settings, SoundFormat format)
    : settings_(settings), format_(format), published_(Settings{}) {
  LoadFilterSettings();
}

void CFilters::LoadFilterSettings() {
  const AudioSettings::Filters stored = settings_.LoadFilters();
  Settings s;
  s.limiterOn = stored.limiterOn;
  s.frequency = static_cast<float>(stored.frequency);
  s.gain = static_cast<float>(std::clamp(stored.gainDb, -kMaxGainDb, kMaxGainDb));
  s.q = static_cast<float>(stored.qHundredths) * 0.01f;
  const float scale = static_cast<float>(stored.scaleTenths) * 0.1f;
  s.bandpassOn = stored.bandpassOn;
  // No cascades: the peaking filter is set up but never runs.
  const int32_t cascades = std::min(stored.cascades, kMaxCascades);
  s.channels = format_.Channels();
  s.frameBytes = format_.FrameBytes();
  s.bandpass = CPeakingFilter(
      CPeakingFilter::Design(static_cast<float>(format_.SampleRate()), s.frequency, s.gain, s.q), scale,
      cascades);
  loaded_ = s;
  published_.Back() = std::move(s);
  published_.Publish();
}

void CFilters::SetFormat(SoundFormat format) {
  format_ = format;
  LoadFilterSettings();
}

void CFilters::Bandpass(std::span<int16_t> frame) {
  const Settings& s = published_.Front();
  if (s.bandpassOn) s.bandpass.Run(frame);
}

void CFilters::Limit(std::span<int16_t> frame, int32_t level) {
  if (!published_.Front().limiterOn || level <= 0) return;
  const int32_t c = level - level / 2;
  for (int16_t& x : frame) x = static_cast<int16_t>(std::clamp<int32_t>(x, -c, c));
}

void CFilters::Average(std::span<int16_t> destination, std::span<const int16_t> skipped,
                       std::span<const int16_t> next) {
  const std::size_t n = std::min({destination.size(), skipped.size(), next.size()});
  for (std::size_t i = 0; i < n; ++i) {
    const int32_t sum = int32_t{skipped[i]} + next[i];
    if (sum == 0) return;
    destination[i] = static_cast<int16_t>(sum / 2);
  }
}

void CFilters::Reverse(std::span<int16_t> frame) {
  if (published_.Front().channels != 2) {
    std::reverse(frame.begin(), frame.end());
    return;
  }
  const std::size_t pairs = frame.size() / 2;
  if (pairs < 2) return;
  for (std::size_t i = 0, j = pairs - 1; i < j; ++i, --j) {
    std::swap(frame[2 * i], frame[2 * j]);
    std::swap(frame[2 * i + 1], frame[2 * j + 1]);
  }
}
