#pragma once

#include <pulse/pulseaudio.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/audiobackend.h"
#include "platform/cdevicefollower.h"
#include "platform/cpulseconnection.h"
#include "platform/cstreamdelaymeter.h"

class CStreamVolume;

// One stream of interleaved 16-bit samples straight to the sound server,
// with the server keeping exactly the queue asked for: through libpulse a
// playback stream's latency is the whole queue, where the ALSA plugin lets
// the server add its own behind it and stalls a new stream for a second or
// more. Each stream has its own connection, so its callbacks run on its own
// thread and closing one never waits for another.
//
// A call must outlive a headset pulled out: a CDeviceFollower keeps the
// stream on its device, or on the server's default while the device is gone.
class CPulseStream : public AudioStream, private CDeviceFollower::Stream {
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
  bool OnChosenDevice() const override { return follower_ ? follower_->Route().OnChosen() : true; }
  uint64_t DeviceLosses() const override { return follower_ ? follower_->Route().Losses() : 0; }
  std::string DeviceName() const override { return follower_ ? follower_->Route().Shown() : std::string(); }

 private:
  // The rest runs on the event thread, or with its lock held.
  bool Connect(const char* device);
  void Drop();
  void AttachVolume();
  pa_stream* Handle() const override { return stream_; }
  void Reopen(const std::string& device) override;

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
  std::unique_ptr<CDeviceFollower> follower_;
  // Set once Start has succeeded: a failure after it is a device lost.
  bool started_ = false;
  // One callback's worth of samples; the capture side fills it across
  // server reads, which need not fall on callback boundaries.
  std::vector<int16_t> buffer_;
  std::size_t filled_ = 0;
  // The age past which capture is a backlog (OnReadable).
  pa_usec_t freshUsec_ = 0;
  CStreamDelayMeter delay_;
};
