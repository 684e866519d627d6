#pragma once

#include <cstdint>
#include <string>

#include "core/linestate.h"
#include "core/netaddress.h"
#include "core/soundtype.h"

// What one call line tells the window: its state and what may be done.
struct LineView {
  LineState state = LineState::kIdle;
  bool canHangUp = false;
  bool canAnswer = false;
  NetAddress peerAddress;
  std::string peerAddressText;
  bool outgoing = false;  // this side placed the call
};

// What the main window's own messages act on: what other threads and the
// remote control hand to the main thread, and what the properties dialog
// sets going. The program implements it over its objects; tests record the
// calls.
class DispatchTargets {
 public:
  virtual ~DispatchTargets() = default;

  // Call lines, by line number 1 or 2.
  virtual LineView Line(int line) = 0;
  virtual void HangUp(int line) = 0;
  virtual void PlaceCall(int line, const NetAddress& address, const std::string& name) = 0;

  // Audio side.
  virtual void ApplyRemoteSpeexOption(uint32_t code, int32_t value) = 0;
  virtual void ReloadPreBuffer() = 0;
  virtual void ReloadScopeZoom() = 0;
  virtual void ReloadFilters() = 0;
  virtual void RestartSound(SoundType type, bool announce) = 0;
  // The receive path found the caller's audio in another type.
  virtual void SoundTypeRequested(int32_t code) = 0;
  // A mixer reported a change of one of its controls.
  virtual void MixerChanged(int64_t control) = 0;

  // One signalling datagram to the address.
  virtual void SendSignalling(const NetAddress& address, uint32_t code, const std::string& text) = 0;
};
