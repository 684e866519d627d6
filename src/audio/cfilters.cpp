#include "audio/cfilters.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "audio/soundtypes.h"
#include "core/decimaltext.h"
#include "settings/cparams.h"

namespace {

constexpr int32_t kDefaultFrequency = 1500;
constexpr int32_t kDefaultGain = -4;
constexpr int32_t kDefaultQ = 90;      // hundredths
constexpr int32_t kDefaultScale = 10;  // tenths
constexpr int32_t kDefaultCascades = 1;

// The number a setting holds, or nothing when it was never set. Unset, empty
// and wordy texts all read as 0, so only a 0 written as a number is one the
// user chose; every other text keeps the number it always gave.
std::optional<int32_t> ChosenInt(CParams& params, const char* name) {
  std::string text;
  if (!params.GetString(name, text)) return std::nullopt;
  const int32_t value = DecimalToInt(text);
  if (value == 0 && !IsDecimalInteger(text)) return std::nullopt;
  return value;
}

// The chosen value, or the default (written back) when there is none or it
// is below `lowest`.
int32_t ReadWithDefault(CParams& params, const char* name, int32_t lowest, int32_t fallback) {
  if (const auto value = ChosenInt(params, name); value && *value >= lowest) return *value;
  params.SetInt(name, fallback);
  return fallback;
}

}  // namespace

CFilters::CFilters(CParams& params, SoundFormat format)
    : params_(params), format_(format), published_(Settings{}) {
  LoadFilterSettings();
}

void CFilters::LoadFilterSettings() {
  Settings s;
  s.limiterOn = params_.GetInt("FilterLimiter") != 0;
  s.frequency = static_cast<float>(ReadWithDefault(params_, "FilterBpFreq", 1, kDefaultFrequency));
  // 0 dB is a gain like any other; only an unset gain takes the default.
  const int32_t gain =
      ReadWithDefault(params_, "FilterBpGain", std::numeric_limits<int32_t>::min(), kDefaultGain);
  s.gain = static_cast<float>(std::clamp(gain, -kMaxGainDb, kMaxGainDb));
  s.q = static_cast<float>(ReadWithDefault(params_, "FilterBpQ", 1, kDefaultQ)) * 0.01f;
  const float scale = static_cast<float>(ReadWithDefault(params_, "FilterBpScale", 1, kDefaultScale)) * 0.1f;
  const int32_t bandpass = params_.GetInt("FilterBp");
  if (bandpass == 0) params_.SetInt("FilterBp", 0);
  s.bandpassOn = bandpass != 0;
  // No cascades: the peaking filter is set up but never runs.
  const int32_t cascades =
      std::min(ReadWithDefault(params_, "FilterBpCascade", 0, kDefaultCascades), kMaxCascades);
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
