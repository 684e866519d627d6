#include "audio/cdevicesp.h"

#include <algorithm>

#include "audio/soundtypes.h"
#include "settings/cparams.h"

namespace {

constexpr int kFramesPerBuffer = 2;

}  // namespace

CDeviceSp::CDeviceSp(CParams& params, AudioBackend& backend, const SoundFormat& format,
                     FrameCallback callback, void* user, QueueSurplus& surplus)
    : params_(params),
      backend_(backend),
      callback_(callback),
      user_(user),
      channels_(std::max(1, format.Channels())),
      sampleRate_(format.SampleRate()),
      frameSamples_(format.FrameSamples()),
      framesPerCallback_(kFramesPerBuffer * static_cast<int>(frameSamples_) / channels_),
      // The queue of the sound type's buffers, two frames each, absorbs the
      // scheduling jitter of the playback thread. The deep queues of the
      // short frame types would ask the sound server for seconds of buffer,
      // which it then drains in bursts that the spool can only answer by
      // skipping frames; past kMaxLatencySeconds a deeper queue buys nothing.
      queueSeconds_(sampleRate_ > 0
                        ? std::min(kMaxLatencySeconds, static_cast<double>(format.PlaybackBufferCount()) *
                                                           framesPerCallback_ / sampleRate_)
                        : 0.0),
      surplus_(surplus) {}

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
  if (request.device != surplus_.device) surplus_ = {request.device, 0.0};
  request.sampleRate = sampleRate_;
  request.channels = channels_;
  request.framesPerCallback = framesPerCallback_;
  request.latencySeconds = RequestedLatencySeconds();
  openLatencySeconds_ = request.latencySeconds;
  return stream_.Open(
      [&](std::string& why) { return backend_.OpenOutput(request, &CDeviceSp::OnSamples, this, why); },
      error);
}

void CDeviceSp::CloseOutput() {
  stream_.Close();
}

double CDeviceSp::RequestedLatencySeconds() const {
  return std::max(0.0, queueSeconds_ - surplus_.seconds);
}

void CDeviceSp::NoteQueue() {
  if (!stream_.IsOpen() || sampleRate_ <= 0) return;
  const double ran = static_cast<double>(stream_.CallbackCount()) * framesPerCallback_ / sampleRate_;
  if (ran < kSettleSeconds) return;
  const double heard = stream_.ReportedDelaySeconds();
  const double oneFrame = static_cast<double>(framesPerCallback_ / kFramesPerBuffer) / sampleRate_;
  if (heard <= queueSeconds_ + oneFrame) return;
  // Reopening now would cost more than it saves: a sound server may take
  // a second or more to start a new stream. The next open asks for less,
  // by what the server added to this one's request.
  surplus_.seconds = std::min(queueSeconds_, heard - openLatencySeconds_);
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
