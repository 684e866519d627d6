#pragma once

#include <pulse/pulseaudio.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/audiobackend.h"
#include "platform/cpulseconnection.h"
#include "platform/cstreamdelaymeter.h"

// One stream of interleaved 16-bit samples straight to the sound server,
// with the server keeping exactly the queue asked for: through libpulse a
// playback stream's latency is the whole queue, where the ALSA plugin lets
// the server add its own behind it and stalls a new stream for a second or
// more. Each stream has its own connection, so its callbacks run on its own
// thread and closing one never waits for another.
class CPulseStream : public AudioStream {
 public:
  CPulseStream(AudioBackend::StreamCallback callback, void* user);
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

 private:
  static void OnWritable(pa_stream* stream, std::size_t bytes, void* self);
  static void OnReadable(pa_stream* stream, std::size_t bytes, void* self);
  void Record(const int16_t* samples, std::size_t count);
  void NoteLatency(pa_stream* stream);

  AudioBackend::StreamCallback callback_;
  void* user_;
  CPulseConnection connection_;
  pa_stream* stream_ = nullptr;
  // One callback's worth of samples; the capture side fills it across
  // server reads, which need not fall on callback boundaries.
  std::vector<int16_t> buffer_;
  std::size_t filled_ = 0;
  CStreamDelayMeter delay_;
};
