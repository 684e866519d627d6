#pragma once

#include <atomic>
#include <cstdint>

// The state the main window keeps besides its controls. What another thread
// reads (the receive thread, the audio callbacks) is atomic.
struct CAppState {
  std::atomic<int> quitting{0};
  std::atomic<int> soundSystemRunning{0};
  std::atomic<bool> restarting{false};
  std::atomic<int> micMuted{0};
  std::atomic<int> speakerMuted{0};
  std::atomic<uint32_t> currentSndType{0};
  std::atomic<bool> lockCodec{false};
  bool busyAnnounced = false;
  int shownOnce = 0;
  int speexSendMode = 0;
};
