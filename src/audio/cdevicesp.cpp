#include "audio/cdevicesp.h"

#include <algorithm>

#include "audio/soundtypes.h"

CDeviceSp::CDeviceSp(AudioSettings settings, AudioBackend& backend, const SoundFormat& format,
                     FrameCallback callback, void* user, QueueSurplus& surplus)
    : settings_(settings),
      backend_(backend),
      callback_(callback),
      user_(user),
      channels_(std::max(1, format.Channels())),
      sampleRate_(format.SampleRate()),
      frameSamples_(format.FrameSamples()),
      playbackBuffers_(format.PlaybackBufferCount()),
      surplus_(surplus) {
  Configure(false);
}

void CDeviceSp::Configure(bool lowLatency) {
  framesPerBuffer_ = lowLatency ? 1 : 2;
  framesPerCallback_ = framesPerBuffer_ * static_cast<int>(frameSamples_) / channels_;
  if (sampleRate_ <= 0) {
    queueSeconds_ = 0.0;
  } else if (lowLatency) {
    queueSeconds_ = kLowLatencySeconds;
  } else {
    // The queue of the sound type's buffers, two frames each, absorbs the
    // scheduling jitter of the playback thread. The deep queues of the
    // short frame types would ask the sound server for seconds of buffer,
    // which it then drains in bursts that the spool can only answer by
    // skipping frames; past kMaxLatencySeconds a deeper queue buys nothing.
    queueSeconds_ =
        std::min(kMaxLatencySeconds, static_cast<double>(playbackBuffers_) * framesPerCallback_ / sampleRate_);
  }
}

CDeviceSp::~CDeviceSp() {
  CloseOutput();
}

bool CDeviceSp::OpenOutput(std::string& error) {
  if (stream_.IsOpen()) return true;
  if (!callback_ || frameSamples_ == 0 || sampleRate_ <= 0) {
    error = "no sound type selected";
    return false;
  }
  const bool lowLatency = settings_.LowLatency();
  StreamRequest request;
  request.device = settings_.SpeakerDevice();
  // What the server adds is measured for each device and each queue size.
  if (request.device != surplus_.device || lowLatency != surplus_.lowLatency)
    surplus_ = {request.device, 0.0, lowLatency};
  Configure(lowLatency);
  request.sampleRate = sampleRate_;
  request.channels = channels_;
  request.framesPerCallback = framesPerCallback_;
  request.latencySeconds = RequestedLatencySeconds();
  openLatencySeconds_ = request.latencySeconds;
  request.call = true;
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
  const double oneFrame = static_cast<double>(framesPerCallback_ / framesPerBuffer_) / sampleRate_;
  if (heard <= queueSeconds_ + oneFrame) return;
  // Reopening now would cost more than it saves: a sound server may take
  // a second or more to start a new stream. The next open asks for less,
  // by what the server added to this one's request.
  surplus_.seconds = std::min(queueSeconds_, heard - openLatencySeconds_);
}

void CDeviceSp::OnSamples(int16_t* samples, std::size_t count, void* self) {
  auto* device = static_cast<CDeviceSp*>(self);
  const auto frames = static_cast<std::size_t>(device->framesPerBuffer_);
  if (!device->stream_.IsOpen() || count < frames * device->frameSamples_) {
    std::fill(samples, samples + count, 0);
    return;
  }
  for (std::size_t part = 0; part < frames; ++part) {
    device->callback_(samples + part * device->frameSamples_, device->user_);
  }
  std::fill(samples + frames * device->frameSamples_, samples + count, 0);
}
