#include "audio/cmixermc.h"

void CMixerMc::BindMicrophone() {
  CloseMixer();
  ClearSlot(kRecordingSlot);
  if (!OpenMixer(Settings().MicDevice(), MixerSide::Capture)) return;
  const MixerLineType wanted = Settings().LineIn() ? MixerLineType::LineIn : MixerLineType::Microphone;
  BindFirst(Backend().SelectorLines(), wanted);
  // Many cards offer no selector, or a selector whose sources carry no
  // volume of their own; their recording lines are the next best thing.
  if (!SlotValid(kRecordingSlot)) BindFirst(Backend().CaptureLines(), wanted);
}

void CMixerMc::BindFirst(const std::vector<MixerLine>& lines, MixerLineType wanted) {
  for (const MixerLine& line : lines) {
    if (line.type != wanted) continue;
    if (line.volume) BindVolume(*line.volume, kRecordingSlot);
    return;
  }
}
