#include "audio/cdevicesp.h"

#include <algorithm>

#include "audio/soundtypes.h"
#include "settings/cparams.h"

namespace {

constexpr int kFramesPerBuffer = 2;

}  // namespace

CDeviceSp::CDeviceSp(CParams& params, AudioBackend& backend, FrameCallback callback, void* user)
    : params_(params),
      backend_(backend),
      callback_(callback),
      user_(user),
      channels_(std::max(1, GetChannels())),
      sampleRate_(GetSampleRate()),
      frameSamples_(static_cast<std::size_t>(GetFrameBytes() / 2)),
      bufferCount_(GetPlaybackBufferCount()) {}

CDeviceSp::~CDeviceSp() {
  CloseOutput();
}

bool CDeviceSp::OpenOutput(std::string& error) {
  if (stream_.IsOpen()) return true;
  if (!callback_ || frameSamples_ == 0 || sampleRate_ <= 0) {
    error = "no sound type selected";
    return false;
  }
  StreamRequest request;
  request.device = params_.GetInt("deviceSp") - 1;
  request.sampleRate = sampleRate_;
  request.channels = channels_;
  request.framesPerCallback = kFramesPerBuffer * static_cast<int>(frameSamples_) / channels_;
  // The queue of the sound type's buffers, two frames each, absorbs the
  // scheduling jitter of the playback thread. The deep queues of the short
  // frame types would ask the sound server for seconds of buffer, which it
  // then drains in bursts that the spool can only answer by skipping
  // frames; past kMaxLatencySeconds a deeper queue buys nothing.
  request.latencySeconds = std::min(
      kMaxLatencySeconds, static_cast<double>(bufferCount_) * request.framesPerCallback / sampleRate_);
  return stream_.Open(
      [&](std::string& why) { return backend_.OpenOutput(request, &CDeviceSp::OnSamples, this, why); },
      error);
}

void CDeviceSp::CloseOutput() {
  stream_.Close();
}

void CDeviceSp::OnSamples(int16_t* samples, std::size_t count, void* self) {
  auto* device = static_cast<CDeviceSp*>(self);
  if (!device->stream_.IsOpen() || count < kFramesPerBuffer * device->frameSamples_) {
    std::fill(samples, samples + count, 0);
    return;
  }
  for (int half = 0; half < kFramesPerBuffer; ++half) {
    device->callback_(samples + static_cast<std::size_t>(half) * device->frameSamples_, device->user_);
  }
  std::fill(samples + kFramesPerBuffer * device->frameSamples_, samples + count, 0);
}
