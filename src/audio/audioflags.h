#pragma once

#include <atomic>
#include <cstdint>

#include "core/soundtype.h"

// The main window's state that the audio paths read on the capture, playback
// and receive threads. The paths own none of it.
struct AudioFlags {
  const std::atomic<int>& quitting;
  std::atomic<bool>& restarting;
  std::atomic<int>& soundSystemRunning;
  const std::atomic<int>& micMuted;
  const std::atomic<int>& speakerMuted;
  std::atomic<SoundType>& currentSndType;
  const std::atomic<bool>& lockCodec;
  const std::atomic<int>& currentLine;  // 1 or 2; 0 for none
};
