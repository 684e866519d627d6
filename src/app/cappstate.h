#pragma once

#include <atomic>
#include <cstdint>

#include "core/soundtype.h"

// The state the main window keeps besides its controls. What another thread
// reads (the receive thread, the audio callbacks) is atomic.
struct CAppState {
  std::atomic<int> quitting{0};
  std::atomic<int> soundSystemRunning{0};
  std::atomic<bool> restarting{false};
  std::atomic<int> micMuted{0};
  std::atomic<int> speakerMuted{0};
  std::atomic<SoundType> currentSndType{SoundType::kGsm8};
  std::atomic<bool> lockCodec{false};
  // The line whose page is in front: 1 or 2, 0 for none. The audio paths
  // read it on their own threads.
  std::atomic<int> currentLine{0};
  // The volume sliders: where they stand and whether a mixer control backs
  // them. The speaker slider's position is also the limiter's level.
  uint32_t speakerSlider = 0;
  uint32_t micSlider = 0;
  bool speakerSliderEnabled = false;
  bool micSliderEnabled = false;
  bool systemKey = false;
  int shownOnce = 0;
};
