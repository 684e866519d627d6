#pragma once

#include <cstdint>
#include <string>

#include "core/netaddress.h"
#include "core/soundtype.h"

// What the main window's own messages act on: what other threads and the
// remote control hand to the main thread. The program implements it over
// its objects; tests record the calls.
class DispatchTargets {
 public:
  virtual ~DispatchTargets() = default;

  // Call lines, by line number 1 or 2.
  virtual void HangUp(int line) = 0;
  virtual void PlaceCall(int line, const NetAddress& address, const std::string& name) = 0;

  virtual void RestartSound(SoundType type, bool announce) = 0;
  // The receive path found the caller's audio in another type.
  virtual void SoundTypeRequested(int32_t code) = 0;
  // A mixer reported a change of one of its controls.
  virtual void MixerChanged(int64_t control) = 0;
};
