#include "audio/cmixersp.h"

void CMixerSp::BindSpeaker() {
  CloseMixer();
  ClearSlot(kDestinationSlot);
  ClearSlot(kSpeakerSlot);
  if (!OpenMixer(Settings().SpeakerDevice(), MixerSide::Playback)) return;
  if (const auto volume = Backend().PlaybackVolume()) BindVolume(*volume, kDestinationSlot);
  for (const MixerLine& line : Backend().PlaybackLines()) {
    if (SlotValid(kSpeakerSlot)) break;
    if (line.type != MixerLineType::WaveOut || !line.volume) continue;
    SetSwitch(*line.volume, false);
    BindVolume(*line.volume, kSpeakerSlot);
  }
}
