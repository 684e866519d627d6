#include "settings/audiosettings.h"

#include <limits>
#include <optional>
#include <string>

#include "core/decimaltext.h"
#include "core/settingnames.h"
#include "core/settingsstore.h"

namespace {

constexpr int32_t kDefaultFrequency = 1500;
constexpr int32_t kDefaultGain = -4;
constexpr int32_t kDefaultQ = 90;      // hundredths
constexpr int32_t kDefaultScale = 10;  // tenths
constexpr int32_t kDefaultCascades = 1;

// The number a setting holds, or nothing when it was never set. Unset, empty
// and wordy texts all read as 0, so only a 0 written as a number is one the
// user chose; every other text keeps the number it always gave.
std::optional<int32_t> ChosenInt(SettingsStore& store, const char* name) {
  std::string text;
  if (!store.GetString(name, text)) return std::nullopt;
  const int32_t value = DecimalToInt(text);
  if (value == 0 && !IsDecimalInteger(text)) return std::nullopt;
  return value;
}

// The chosen value, or the default (written back) when there is none or it
// is below `lowest`.
int32_t ReadWithDefault(SettingsStore& store, const char* name, int32_t lowest, int32_t fallback) {
  if (const auto value = ChosenInt(store, name); value && *value >= lowest) return *value;
  store.SetInt(name, fallback);
  return fallback;
}

}  // namespace

int AudioSettings::SpeakerDevice() const {
  return store_.GetInt(setting::kDeviceSp) - 1;
}

int AudioSettings::MicDevice() const {
  return store_.GetInt(setting::kDeviceMc) - 1;
}

bool AudioSettings::LineIn() const {
  return store_.GetInt(setting::kAudioSource) != 0;
}

bool AudioSettings::LowLatency() const {
  return store_.GetInt(setting::kLowLatency) != 0;
}

bool AudioSettings::EchoCancel() const {
  return store_.GetInt(setting::kEchoCancel) != 0;
}

bool AudioSettings::NoiseSuppress() const {
  return store_.GetInt(setting::kNoiseSuppress) != 0;
}

int32_t AudioSettings::PreBuffer() const {
  const int32_t value = store_.GetInt(setting::kPreBuffer);
  if (value != 0) return value;
  store_.SetInt(setting::kPreBuffer, kDefaultPreBuffer);
  return kDefaultPreBuffer;
}

AudioSettings::Filters AudioSettings::LoadFilters() const {
  Filters f;
  f.limiterOn = store_.GetInt(setting::kFilterLimiter) != 0;
  f.frequency = ReadWithDefault(store_, setting::kFilterBpFreq, 1, kDefaultFrequency);
  f.gainDb =
      ReadWithDefault(store_, setting::kFilterBpGain, std::numeric_limits<int32_t>::min(), kDefaultGain);
  f.qHundredths = ReadWithDefault(store_, setting::kFilterBpQ, 1, kDefaultQ);
  f.scaleTenths = ReadWithDefault(store_, setting::kFilterBpScale, 1, kDefaultScale);
  const int32_t bandpass = store_.GetInt(setting::kFilterBp);
  if (bandpass == 0) store_.SetInt(setting::kFilterBp, 0);
  f.bandpassOn = bandpass != 0;
  f.cascades = ReadWithDefault(store_, setting::kFilterBpCascade, 0, kDefaultCascades);
  return f;
}

AudioSettings::SpeexOptions AudioSettings::Speex() const {
  return {store_.GetInt(setting::kSpeexQuality),  store_.GetInt(setting::kSpeexComplexity),
          store_.GetInt(setting::kSpeexEnhancer), store_.GetInt(setting::kSpeexVbrQuality),
          store_.GetInt(setting::kSpeexVbr),      store_.GetInt(setting::kSpeexVad),
          store_.GetInt(setting::kSpeexDtx)};
}
