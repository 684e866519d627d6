#include "platform/cportaudiostream.h"

#include <algorithm>

namespace {

std::string ErrorText(PaError error) {
  std::string text = Pa_GetErrorText(error);
  if (error == paUnanticipatedHostError) {
    const PaHostErrorInfo* host = Pa_GetLastHostErrorInfo();
    if (host && host->errorText && *host->errorText) text += std::string(": ") + host->errorText;
  }
  return text;
}

}  // namespace

CPortAudioStream::CPortAudioStream(std::shared_ptr<void> library, AudioBackend::StreamCallback callback,
                                   void* user)
    : library_(std::move(library)), callback_(callback), user_(user) {}

CPortAudioStream::~CPortAudioStream() {
  // Abort rather than stop: stopping would first play out everything still
  // queued, seconds of it with the deepest buffer queues. Both return only
  // once the callback has finished for good.
  if (running_) Pa_AbortStream(stream_);
  if (stream_) Pa_CloseStream(stream_);
}

bool CPortAudioStream::Start(PaDeviceIndex device, bool input, const StreamRequest& request,
                             std::string& error) {
  const PaDeviceInfo* info = Pa_GetDeviceInfo(device);
  if (!info) {
    error = "PortAudio has no device " + std::to_string(device) + ".";
    return false;
  }
  const std::string what = std::string("Could not open ") + (input ? "input" : "output") +
                           " audio device \"" + info->name + "\": ";
  if (request.channels <= 0 || request.framesPerCallback <= 0 || request.sampleRate <= 0) {
    error = what + "invalid stream format (" + std::to_string(request.sampleRate) + " Hz, " +
            std::to_string(request.channels) + " channels, " + std::to_string(request.framesPerCallback) +
            " frames per buffer).";
    return false;
  }
  channels_ = static_cast<std::size_t>(request.channels);
  if (input) recorded_.assign(channels_ * static_cast<std::size_t>(request.framesPerCallback), 0);

  PaStreamParameters parameters{};
  parameters.device = device;
  parameters.channelCount = request.channels;
  parameters.sampleFormat = paInt16;
  parameters.suggestedLatency =
      std::max(request.latencySeconds, input ? info->defaultLowInputLatency : info->defaultLowOutputLatency);
  PaError result = Pa_OpenStream(&stream_, input ? &parameters : nullptr, input ? nullptr : &parameters,
                                 request.sampleRate, static_cast<unsigned long>(request.framesPerCallback),
                                 paClipOff, &CPortAudioStream::OnBuffer, this);
  if (result != paNoError) {
    stream_ = nullptr;
    error = what + ErrorText(result);
    return false;
  }
  result = Pa_StartStream(stream_);
  if (result != paNoError) {
    error = what + ErrorText(result);
    return false;
  }
  running_ = true;
  return true;
}

// The device's thread: hands the buffer over and nothing else, so no
// allocation, lock or wait happens here.
int CPortAudioStream::OnBuffer(const void* input, void* output, unsigned long frames,
                               const PaStreamCallbackTimeInfo* time, PaStreamCallbackFlags, void* self) {
  auto& stream = *static_cast<CPortAudioStream*>(self);
  if (time) {
    stream.delay_.Note(output ? time->outputBufferDacTime - time->currentTime
                              : time->currentTime - time->inputBufferAdcTime);
  } else {
    stream.delay_.Note(0.0);
  }
  const std::size_t count = frames * stream.channels_;
  if (output) {
    stream.callback_(static_cast<int16_t*>(output), count, stream.user_);
    return paContinue;
  }
  const std::size_t kept = std::min(count, stream.recorded_.size());
  if (input) {
    std::copy_n(static_cast<const int16_t*>(input), kept, stream.recorded_.data());
  } else {
    std::fill_n(stream.recorded_.data(), kept, int16_t{0});
  }
  stream.callback_(stream.recorded_.data(), kept, stream.user_);
  return paContinue;
}
