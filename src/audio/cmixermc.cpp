#include "audio/cmixermc.h"

#include "settings/cparams.h"

void CMixerMc::BindMicrophone() {
  CloseMixer();
  ClearSlot(kRecordingSlot);
  if (!OpenMixer(Params().GetInt("deviceMc") - 1, MixerSide::Capture)) return;
  const MixerLineType wanted =
      Params().GetInt("audioSource") != 0 ? MixerLineType::LineIn : MixerLineType::Microphone;
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
