#pragma once

#include "audio/cmixer.h"

// The playback mixer of the device chosen by "deviceSp"; the speaker slider
// acts on the volume of its wave-output line.
class CMixerSp : public CMixer {
 public:
  using CMixer::CMixer;

  // Rebinds from scratch: the output's own volume to slot 0, and the first
  // wave-output line, unmuted, to slot 1. Microphone lines that play back
  // into the output are never taken for the speaker.
  void BindSpeaker();

  void SetVolume(uint32_t position) { CMixer::SetVolume(position, kSpeakerSlot); }
  std::optional<uint32_t> GetVolume(MixerControlId control) {
    return CMixer::GetVolume(control, kSpeakerSlot);
  }
  std::optional<uint32_t> GetVolume() { return CMixer::GetVolume(kSpeakerSlot); }
};
