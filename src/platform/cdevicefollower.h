#pragma once

#include <pulse/pulseaudio.h>

#include <cstdint>
#include <string>

#include "platform/cstreamroute.h"

class CPulseConnection;

// Keeps a stream on the device it was opened for, through the device's
// going and coming back: when the device goes the stream carries on on the
// server's default device, and goes back when the device returns. The
// server usually moves the stream itself; this watches the server's
// devices and moves the stream, or has it opened again, wherever the server
// did not. Runs on the stream's event thread, or with its lock held.
class CDeviceFollower {
 public:
  // What the follower needs of the stream it follows.
  class Stream {
   public:
    virtual ~Stream() = default;
    // The stream as the server knows it; nullptr while there is none.
    virtual pa_stream* Handle() const = 0;
    // Drop the stream and open it again on device.
    virtual void Reopen(const std::string& device) = 0;
  };

  // chosen: the server's name of the device asked for; empty to follow the
  // server's default.
  CDeviceFollower(CPulseConnection& connection, bool input, std::string chosen, Stream& stream);
  CDeviceFollower(const CDeviceFollower&) = delete;
  CDeviceFollower& operator=(const CDeviceFollower&) = delete;

  // The stream has started: from now on the server's devices are watched.
  void Start();
  // The stream's own news.
  void Ready();
  void Failed();
  void Moved();

  const CStreamRoute& Route() const { return route_; }

 private:
  // What an answer of the server is for. The answers come on the event
  // thread, after every event the server sent before them.
  enum class Ask { Shown, Arrived, Recover, DefaultForRecover, DefaultAfterRemove, DefaultChanged, Count };
  struct Slot {
    CDeviceFollower* follower = nullptr;
    Ask ask = Ask::Shown;
    bool found = false;
  };

  bool Alive() const;
  void NoteWhere();
  void MoveTo(const std::string& device);
  void Recover();
  void ReconnectTo(const std::string& device);
  void Event(pa_subscription_event_type_t type, uint32_t index);
  void LookUp(Ask ask, const std::string& name, uint32_t index);
  void AskServer(Ask ask);
  void Found(Ask ask, const char* name, const char* description);
  void NotFound(Ask ask);
  void ServerSays(Ask ask, const std::string& serverDefault);
  template <typename Info>
  static void OnInfo(pa_context*, const Info* info, int eol, void* slot);
  static void OnServerInfo(pa_context*, const pa_server_info* info, void* slot);

  CPulseConnection& connection_;
  const bool input_;
  Stream& stream_;
  CStreamRoute route_;
  // Opens since the stream last ran, so that a device that refuses the
  // stream is not asked again and again until another one appears.
  int reconnects_ = 0;
  bool recovering_ = false;
  uint32_t removedIndex_ = PA_INVALID_INDEX;
  Slot slots_[static_cast<int>(Ask::Count)];
};
