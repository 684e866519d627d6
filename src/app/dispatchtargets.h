#pragma once

#include <cstdint>
#include <string>

#include "core/linestate.h"
#include "core/soundtype.h"

// What one call line tells the window: its state and what may be done.
struct LineView {
  LineState state = LineState::kIdle;
  bool canHangUp = false;
  bool canAnswer = false;
  uint32_t peerAddress = 0;
  std::string peerAddressText;
  bool outgoing = false;  // this side placed the call
};

// Bytes counted on a line since the last refresh.
struct LineTraffic {
  uint64_t received = 0;
  uint64_t sent = 0;
};

// Everything the message handlers act on besides the window itself: the
// client list, the call lines, the audio side and the socket. The program
// implements it over its object graph; tests record the calls.
class DispatchTargets {
 public:
  virtual ~DispatchTargets() = default;

  // Client list.
  virtual void ProbeReceived(uint32_t address) = 0;
  virtual void ReplyReceived(uint32_t address) = 0;
  virtual void GoneOffline(uint32_t address) = 0;
  virtual void BusyChanged(uint32_t address, bool busy) = 0;
  virtual bool IsClient(const std::string& addressText) = 0;
  virtual bool HasClientAt(int row) = 0;
  virtual void ClientSelected(int row) = 0;  // tells the client dialog

  // Call lines, by line number 1 or 2.
  virtual LineView Line(int line) = 0;
  virtual LineTraffic TakeTraffic(int line) = 0;
  virtual void RouteCode(uint32_t address, uint32_t code) = 0;
  virtual void HangUp(int line) = 0;
  virtual void PlaceCall(int line, uint32_t address, const std::string& name) = 0;
  virtual void AcceptCallRequest(uint32_t address, const std::string& request) = 0;
  // A call rings in on the line: told to the user where the window is out of sight.
  virtual void AnnounceIncomingCall(int line) = 0;
  virtual void TakePeerName(int line, uint32_t address, const std::string& name) = 0;

  // Audio side.
  virtual void ApplyRemoteSpeexOption(uint32_t code, int32_t value) = 0;
  virtual void ReloadPreBuffer() = 0;
  virtual void ReloadScopeZoom() = 0;
  virtual void ReloadFilters() = 0;
  virtual void RestartSound(SoundType type, bool announce) = 0;
  // Opens the call's devices now rather than at the next tick; idempotent.
  virtual void OpenDevices() = 0;
  virtual void UnfreezeScope() = 0;
  // A mixer reported a change of one of its controls.
  virtual void MixerChanged(int64_t control) = 0;

  // The socket.
  virtual void SendShort(uint32_t address, uint32_t code) = 0;
  virtual void SendSignalling(uint32_t address, uint32_t code, const std::string& text) = 0;
  virtual uint32_t OwnAddress() = 0;

  // A line of the connection log: "text: dotted address".
  virtual void Log(const std::string& text, uint32_t address) = 0;
};
