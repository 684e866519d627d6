#include "audio/cmixerpair.h"

#include <limits>

#include "audio/cmixermc.h"
#include "audio/cmixersp.h"

namespace {

template <typename Mixer>
CMixerPair::Slider SliderOf(Mixer* mixer) {
  const auto value = mixer != nullptr ? mixer->GetVolume() : std::nullopt;
  return value ? CMixerPair::Slider{true, *value} : CMixerPair::Slider{};
}

template <typename Mixer>
std::optional<uint32_t> MoveOf(Mixer* mixer, int64_t control, uint32_t position) {
  if (mixer == nullptr || control < 0 || control > std::numeric_limits<MixerControlId>::max())
    return std::nullopt;
  const auto value = mixer->GetVolume(static_cast<MixerControlId>(control));
  if (!value || *value == position) return std::nullopt;
  return value;
}

template <typename Mixer>
bool Move(Mixer* mixer, uint32_t position, bool soundRunning) {
  if (!soundRunning) return false;
  if (mixer != nullptr) mixer->SetVolume(position);
  return true;
}

}  // namespace

CMixerPair::CMixerPair(CMixerSp* speaker, CMixerMc* microphone)
    : speaker_(speaker), microphone_(microphone) {}

CMixerPair::Sliders CMixerPair::ReadMixers() {
  if (speaker_ != nullptr) speaker_->BindSpeaker();
  if (microphone_ != nullptr) microphone_->BindMicrophone();
  return {SliderOf(speaker_), SliderOf(microphone_)};
}

CMixerPair::Moves CMixerPair::Changed(int64_t control, uint32_t speakerPosition,
                                      uint32_t microphonePosition) {
  return {MoveOf(speaker_, control, speakerPosition), MoveOf(microphone_, control, microphonePosition)};
}

bool CMixerPair::MoveSpeaker(uint32_t position, bool soundRunning) {
  return Move(speaker_, position, soundRunning);
}

bool CMixerPair::MoveMicrophone(uint32_t position, bool soundRunning) {
  return Move(microphone_, position, soundRunning);
}
