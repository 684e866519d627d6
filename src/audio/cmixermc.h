#pragma once

#include "audio/cmixer.h"

// The recording mixer of the device chosen by "deviceMc"; the microphone
// slider acts on the volume of the microphone or of the line input, as
// "audioSource" chooses (0 microphone, 1 line in).
class CMixerMc : public CMixer {
 public:
  using CMixer::CMixer;

  // Rebinds slot 2 from scratch: the first source of the wanted kind that the
  // recording-source selector offers, else the first recording line of that kind.
  void BindMicrophone();

  void SetVolume(uint32_t position) { CMixer::SetVolume(position, kRecordingSlot); }
  std::optional<uint32_t> GetVolume(MixerControlId control) {
    return CMixer::GetVolume(control, kRecordingSlot);
  }
  std::optional<uint32_t> GetVolume() { return CMixer::GetVolume(kRecordingSlot); }

 private:
  // Binds the first line of the wanted type, if it has a volume; the walk stops there either way.
  void BindFirst(const std::vector<MixerLine>& lines, MixerLineType wanted);
};
