#pragma once

#include <pulse/pulseaudio.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/audiobackend.h"
#include "platform/cpulseconnection.h"
#include "platform/cstreamdelaymeter.h"
#include "platform/cstreamroute.h"

class CStreamVolume;

// One stream of interleaved 16-bit samples straight to the sound server,
// with the server keeping exactly the queue asked for: through libpulse a
// playback stream's latency is the whole queue, where the ALSA plugin lets
// the server add its own behind it and stalls a new stream for a second or
// more. Each stream has its own connection, so its callbacks run on its own
// thread and closing one never waits for another.
//
// A call must outlive a headset pulled out: when its device goes, the
// stream carries on on the server's default device, and goes back when the
// device returns. The server usually moves the stream itself; the stream
// watches the server's devices and moves, or opens again, wherever it did
// not.
class CPulseStream : public AudioStream {
 public:
  // volume: where a call's stream keeps its volume; nullptr for any other.
  CPulseStream(AudioBackend::StreamCallback callback, void* user, CStreamVolume* volume = nullptr);
  ~CPulseStream() override;
  CPulseStream(const CPulseStream&) = delete;
  CPulseStream& operator=(const CPulseStream&) = delete;

  // Connects and starts the stream on device (the server's name of a sink or
  // source; empty for the default one, which PULSE_SINK and PULSE_SOURCE may
  // choose). shownName goes into the error text. Called once.
  bool Start(bool input, const std::string& device, const std::string& shownName,
             const StreamRequest& request, std::string& error);

  double ReportedDelaySeconds() const override { return delay_.DelaySeconds(); }
  uint64_t CallbackCount() const override { return delay_.Callbacks(); }
  bool OnChosenDevice() const override { return route_ ? route_->OnChosen() : true; }
  uint64_t DeviceLosses() const override { return route_ ? route_->Losses() : 0; }
  std::string DeviceName() const override { return route_ ? route_->Shown() : std::string(); }

 private:
  // The rest runs on the event thread, or with its lock held.
  bool Connect(const char* device);
  void Drop();
  bool Alive() const;
  void AttachVolume();
  void NoteWhere();
  void MoveTo(const std::string& device);
  void Recover();
  void ReconnectTo(const std::string& device);
  void Event(pa_subscription_event_type_t type, uint32_t index);

  // What an answer of the server is for. The answers come on the event
  // thread, after every event the server sent before them.
  enum class Ask { Shown, Arrived, Recover, DefaultForRecover, DefaultAfterRemove, DefaultChanged, Count };
  struct Slot {
    CPulseStream* stream = nullptr;
    Ask ask = Ask::Shown;
    bool found = false;
  };
  void LookUp(Ask ask, const std::string& name, uint32_t index);
  void AskServer(Ask ask);
  void Found(Ask ask, const char* name, const char* description);
  void NotFound(Ask ask);
  void ServerSays(Ask ask, const std::string& serverDefault);
  template <typename Info>
  static void OnInfo(pa_context*, const Info* info, int eol, void* slot);
  static void OnServerInfo(pa_context*, const pa_server_info* info, void* slot);

  static void OnState(pa_stream* stream, void* self);
  static void OnMoved(pa_stream* stream, void* self);
  static void OnWritable(pa_stream* stream, std::size_t bytes, void* self);
  static void OnReadable(pa_stream* stream, std::size_t bytes, void* self);
  // Whether the capture at the head of the stream's queue is a backlog.
  bool Stale(pa_stream* stream) const;
  void Record(const int16_t* samples, std::size_t count);
  void NoteLatency(pa_stream* stream);

  AudioBackend::StreamCallback callback_;
  void* user_;
  CStreamVolume* volume_;
  uint32_t attachedIndex_ = PA_INVALID_INDEX;
  CPulseConnection connection_;
  pa_stream* stream_ = nullptr;
  bool input_ = false;
  pa_sample_spec spec_{};
  pa_channel_map map_{};
  pa_buffer_attr attributes_{};
  std::unique_ptr<CStreamRoute> route_;
  // Set once Start has succeeded: a failure after it is a device lost.
  bool started_ = false;
  // Opens since the stream last ran, so that a device that refuses the
  // stream is not asked again and again until another one appears.
  int reconnects_ = 0;
  bool recovering_ = false;
  uint32_t removedIndex_ = PA_INVALID_INDEX;
  Slot slots_[static_cast<int>(Ask::Count)];
  // One callback's worth of samples; the capture side fills it across
  // server reads, which need not fall on callback boundaries.
  std::vector<int16_t> buffer_;
  std::size_t filled_ = 0;
  // The age past which capture is a backlog (OnReadable).
  pa_usec_t freshUsec_ = 0;
  CStreamDelayMeter delay_;
};
