#pragma once

#include <cstdint>

#include "core/netaddress.h"

// What the signalling hands to the rest of the program: requests the peer
// of a call makes of this side's sound system, and a call refused. Main
// thread.
class CallEvents {
 public:
  virtual ~CallEvents() = default;

  // The peer asks this side to switch to a sound type (its wire code, as
  // received: it may name none).
  virtual void SoundTypeRequested(int32_t code) = 0;
  // The peer sets this side's Speex 8 kHz encoder (codes 9100 to 9105).
  virtual void SpeexOptionReceived(uint32_t code, int32_t value) = 0;
  // The peer of a call this side placed or held refused it; the line has hung up.
  virtual void CallRefused(const NetAddress& from) = 0;
  // After each signal: what the window offers may have changed.
  virtual void SignalHandled() = 0;
};
