#pragma once

#include <cstdint>
#include <vector>

#include "core/soundtype.h"

// One Speex encoder option as the wire names it: its code and its value.
struct SpeexOptionValue {
  uint32_t code = 0;
  int32_t value = 0;
  bool operator==(const SpeexOptionValue&) const = default;
};

// What a setting changed in the properties dialog sets going in the
// running program, on the main thread, once the setting is written. The
// program implements it; tests record the calls.
class OptionActions {
 public:
  virtual ~OptionActions() = default;

  virtual void ReloadPreBuffer() = 0;
  virtual void ReloadScopeZoom() = 0;
  virtual void ReloadCodecLock() = 0;
  virtual void ReloadFilters() = 0;
  // A restart on the type that tells the peer; one already running wins.
  virtual void SwitchSoundType(SoundType type) = 0;
  // The encoder options, in order, to the peer of the line in front.
  virtual void SendSpeexOptions(const std::vector<SpeexOptionValue>& options) = 0;
  // The port changed: the program ends, and binds the new one at its next start.
  virtual void Quit() = 0;
};
