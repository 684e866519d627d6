#pragma once

#include <portaudio.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/audiobackend.h"
#include "platform/cstreamdelaymeter.h"

// One PortAudio callback stream of interleaved 16-bit samples. It keeps the
// library started for as long as it lives, so it may outlast its backend.
class CPortAudioStream : public AudioStream {
 public:
  CPortAudioStream(std::shared_ptr<void> library, AudioBackend::StreamCallback callback, void* user);
  ~CPortAudioStream() override;
  CPortAudioStream(const CPortAudioStream&) = delete;
  CPortAudioStream& operator=(const CPortAudioStream&) = delete;

  // Opens and starts the stream; false, with the reason in error, when the
  // device refuses it. Called once.
  bool Start(PaDeviceIndex device, bool input, const StreamRequest& request, std::string& error);

  double ReportedDelaySeconds() const override { return delay_.DelaySeconds(); }
  uint64_t CallbackCount() const override { return delay_.Callbacks(); }

 private:
  static int OnBuffer(const void* input, void* output, unsigned long frames,
                      const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags flags, void* self);

  std::shared_ptr<void> library_;
  AudioBackend::StreamCallback callback_;
  void* user_;
  std::size_t channels_ = 0;
  // PortAudio lends recorded samples read-only; the audio side may work on them in place.
  std::vector<int16_t> recorded_;
  PaStream* stream_ = nullptr;
  bool running_ = false;
  CStreamDelayMeter delay_;
};
