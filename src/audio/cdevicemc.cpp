#include "audio/cdevicemc.h"

#include <algorithm>

#include "audio/soundtypes.h"

CDeviceMc::CDeviceMc(AudioSettings settings, AudioBackend& backend, const SoundFormat& format,
                     FrameCallback callback, void* user)
    : settings_(settings),
      backend_(backend),
      callback_(callback),
      user_(user),
      channels_(std::max(1, format.Channels())),
      sampleRate_(format.SampleRate()),
      frame_(format.FrameSamples(), 0) {}

CDeviceMc::~CDeviceMc() {
  CloseInput();
}

bool CDeviceMc::OpenInput(std::string& error) {
  if (stream_.IsOpen()) return true;
  if (!callback_ || frame_.empty() || sampleRate_ <= 0) {
    error = "no sound type selected";
    return false;
  }
  StreamRequest request;
  request.device = settings_.MicDevice();
  request.sampleRate = sampleRate_;
  request.channels = channels_;
  request.framesPerCallback = static_cast<int>(frame_.size()) / channels_;
  // The microphone hands each frame on at once: one frame is all it holds.
  request.latencySeconds = static_cast<double>(request.framesPerCallback) / sampleRate_;
  request.call = true;
  std::fill(frame_.begin(), frame_.end(), 0);
  return stream_.Open(
      [&](std::string& why) { return backend_.OpenInput(request, &CDeviceMc::OnSamples, this, why); }, error);
}

void CDeviceMc::CloseInput() {
  stream_.Close();
}

void CDeviceMc::OnSamples(int16_t* samples, std::size_t count, void* self) {
  auto* device = static_cast<CDeviceMc*>(self);
  if (!device->stream_.IsOpen()) return;
  const std::size_t n = std::min(count, device->frame_.size());
  std::copy(samples, samples + n, device->frame_.begin());
  std::fill(device->frame_.begin() + static_cast<std::ptrdiff_t>(n), device->frame_.end(), 0);
  device->callback_(device->frame_.data(), device->user_);
}
