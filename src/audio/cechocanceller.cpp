#include "audio/cechocanceller.h"

#include <speex/speex_echo.h>
#include <speex/speex_preprocess.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "audio/cdelayfinder.h"
#include "audio/cdevicesp.h"

namespace {

// The span the two loudness envelopes are compared over: a few syllables.
// The first look takes half of it, to move the reference before the
// filter has learnt much that a move would throw away.
constexpr int32_t kFindOverMs = 750;
// The most the noise suppressor takes out of steady noise, in dB: the
// library's own choice.
constexpr int kNoiseSuppressDb = -15;
constexpr int32_t kFirstFindOverMs = kFindOverMs / 2;
constexpr int32_t kFindEveryMs = 125;
// The echo is put this far after its reference, so that an estimate a
// frame out still leaves it after.
constexpr int32_t kAfterMs = 10;
// Delays up to this much past that are left alone: the filter copes, and
// every move costs it a new start. What is left must stay well inside the
// tail, room for the reflections that follow.
constexpr int32_t kComfortMs = 20;
// The loudness (RMS) below which a reference frame leaves no echo worth
// suppressing: about -54 dBFS.
constexpr float kAudibleLoudness = 64.0f;

// How alike the envelopes must be at the best delay to be believed. Near
// speech over the echo, or an echo too faint to hear, mostly stays below.
constexpr float kLikenessNeeded = 0.8f;

// Frames of `channelSamples` (per channel) that fit in `ms` at `rate`, rounded down.
uint64_t FramesIn(int32_t ms, int32_t rate, std::size_t channelSamples) {
  if (channelSamples == 0) return 0;
  return static_cast<uint64_t>(ms) * static_cast<uint64_t>(rate) / 1000u / channelSamples;
}

uint64_t FramesAtLeast(int32_t ms, int32_t rate, std::size_t channelSamples, uint64_t least) {
  return std::max(least, FramesIn(ms, rate, channelSamples));
}

// The longest whole fraction of a frame (per channel) that lasts no more
// than `ms` at `rate`.
std::size_t StepSamples(std::size_t channelSamples, int32_t rate, int32_t ms) {
  if (channelSamples == 0 || rate <= 0) return channelSamples;
  const auto most = std::max<std::size_t>(1, static_cast<std::size_t>(rate) * static_cast<std::size_t>(ms) / 1000u);
  std::size_t step = channelSamples;
  for (std::size_t parts = 2; step > most && parts <= channelSamples; ++parts) {
    if (channelSamples % parts == 0) step = channelSamples / parts;
  }
  return step;
}

// The playback device asks for its sound type's queue of two-frame buffers,
// but never for more than CDeviceSp::kMaxLatencySeconds.
uint64_t QueueFrames(const SoundFormat& format, std::size_t channelSamples) {
  const auto capMs = static_cast<int32_t>(CDeviceSp::kMaxLatencySeconds * 1000.0);
  const uint64_t queued = 2u * static_cast<uint64_t>(std::max(0, format.PlaybackBufferCount()));
  return std::min(queued, FramesIn(capMs, format.SampleRate(), channelSamples));
}

float Loudness(std::span<const int16_t> frame) {
  double sum = 0;
  for (int16_t s : frame) sum += static_cast<double>(s) * s;
  return static_cast<float>(std::sqrt(sum / static_cast<double>(std::max<std::size_t>(1, frame.size()))));
}

}  // namespace

CEchoCanceller::CEchoCanceller(const SoundFormat& format)
    : frameSamples_(format.FrameSamples()),
      channels_(static_cast<std::size_t>(std::max(1, format.Channels()))),
      channelSamples_(frameSamples_ / channels_),
      stepSamples_(StepSamples(channelSamples_, format.SampleRate(), kStepMs)),
      ringFrames_(channelSamples_ > 0 ? FramesAtLeast(kRingMs, format.SampleRate(), channelSamples_, 4) : 0),
      windowFrames_(FramesAtLeast(kWindowMs, format.SampleRate(), channelSamples_, 1)),
      queueFrames_(QueueFrames(format, channelSamples_)),
      findEvery_(FramesAtLeast(kFindEveryMs, format.SampleRate(), channelSamples_, 1)),
      confirmLooks_(2 * kFindOverMs / kFindEveryMs),
      afterFrames_(static_cast<int>(FramesAtLeast(kAfterMs, format.SampleRate(), channelSamples_, 1))),
      comfortFrames_(afterFrames_ +
                     static_cast<int>(FramesIn(kComfortMs, format.SampleRate(), channelSamples_))),
      echoFrames_(FramesAtLeast(kTailMs, format.SampleRate(), channelSamples_, 1) +
                  static_cast<uint64_t>(comfortFrames_)),
      echo_(std::make_unique<SpeexEchoState_*[]>(channels_)),
      preprocess_(std::make_unique<SpeexPreprocessState_*[]>(channels_)),
      ring_(std::make_unique<int16_t[]>(ringFrames_ * frameSamples_)),
      finder_(std::make_unique<CDelayFinder>(
          FramesAtLeast(kFindOverMs, format.SampleRate(), channelSamples_, 8),
          FramesAtLeast(kFirstFindOverMs, format.SampleRate(), channelSamples_, 8),
          FramesAtLeast(kEarliestEchoMs, format.SampleRate(), channelSamples_, 1),
          FramesAtLeast(kLatestEchoMs, format.SampleRate(), channelSamples_, 1))),
      reference_(std::make_unique<int16_t[]>(frameSamples_)),
      channelIn_(std::make_unique<int16_t[]>(frameSamples_)),
      channelOut_(std::make_unique<int16_t[]>(frameSamples_)),
      mostLead_(queueFrames_ + 2) {
  finder_->Clear(true);
  if (channelSamples_ == 0) return;  // no format: every call passes through
  // The preprocessor reads the echo state's last step, so it runs in the
  // same steps.
  const auto frame = static_cast<int>(stepSamples_);
  int rate = format.SampleRate();
  const int tail = static_cast<int>(static_cast<int64_t>(rate) * kTailMs / 1000);
  const int speakers = static_cast<int>(channels_);
  // speexdsp takes the DC notch on the microphone from the rate: below
  // 12 kHz a pole at 0.9, a high-pass near 130 Hz at 8 kHz. That thins a
  // low voice, and since the canceller counts what it took out as echo,
  // the residual echo suppressor ducks the near end whenever the far end
  // talks too. Told 12 kHz, it uses the 0.982 notch (some 25 Hz at 8 kHz);
  // the other figures it derives from the rate are smoothing constants,
  // which become about 1.5 times slower.
  int echoRate = std::max(rate, 12000);
  for (std::size_t c = 0; c < channels_; ++c) {
    // A state per microphone channel rather than one for all: the
    // residual echo the preprocessor is told of is read from a state's
    // first channel only, as if its output were mono.
    echo_[c] = speex_echo_state_init_mc(frame, tail, 1, speakers);
    speex_echo_ctl(echo_[c], SPEEX_ECHO_SET_SAMPLING_RATE, &echoRate);
    preprocess_[c] = speex_preprocess_state_init(frame, rate);
    // The gain stage only: the level is the user's to set, and the
    // library's voice detector is left off (it says so on stderr when
    // touched). The gain stage also carries the residual echo suppression,
    // so it runs whenever either is on; without noise suppression it may
    // take out no noise.
    int on = 1, off = 0, keepNoise = 0;
    speex_preprocess_ctl(preprocess_[c], SPEEX_PREPROCESS_SET_DENOISE, &on);
    speex_preprocess_ctl(preprocess_[c], SPEEX_PREPROCESS_SET_NOISE_SUPPRESS, &keepNoise);
    speex_preprocess_ctl(preprocess_[c], SPEEX_PREPROCESS_SET_AGC, &off);
    speex_preprocess_ctl(preprocess_[c], SPEEX_PREPROCESS_SET_DEREVERB, &off);
  }
}

CEchoCanceller::~CEchoCanceller() {
  if (channelSamples_ == 0) return;
  for (std::size_t c = 0; c < channels_; ++c) {
    speex_preprocess_state_destroy(preprocess_[c]);
    speex_echo_state_destroy(echo_[c]);
  }
}

std::span<int16_t> CEchoCanceller::Slot(uint64_t count) const {
  return {ring_.get() + (count % ringFrames_) * frameSamples_, frameSamples_};
}

uint32_t CEchoCanceller::Backlog() const {
  const uint64_t read = framesRead_.load(std::memory_order_acquire);
  return static_cast<uint32_t>(framesWritten_.load(std::memory_order_acquire) - read);
}

void CEchoCanceller::NotePlayed(std::span<const int16_t> frame) {
  if (ringFrames_ == 0) return;
  const uint64_t written = framesWritten_.load(std::memory_order_relaxed);
  if (written - framesRead_.load(std::memory_order_acquire) >= ringFrames_) {
    // Only the consumer may move the read count, so the newest frame goes;
    // the consumer cuts the stale ones once it runs again.
    dropped_.store(dropped_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    return;
  }
  const std::span<int16_t> slot = Slot(written);
  const std::size_t n = std::min(frame.size(), slot.size());
  std::copy_n(frame.begin(), n, slot.begin());
  std::fill(slot.begin() + static_cast<std::ptrdiff_t>(n), slot.end(), int16_t{0});
  framesWritten_.store(written + 1, std::memory_order_release);
}

void CEchoCanceller::KeepInStep(uint64_t backlog) {
  // Until the loudspeaker has noted anything the ring says nothing about
  // its queue.
  if (!referenceSeen_) {
    if (backlog == 0) return;
    referenceSeen_ = true;
    windowLeft_ = windowFrames_;
    windowLowest_ = backlog;
  }
  windowLowest_ = std::min(windowLowest_, backlog);
  if (--windowLeft_ > 0) return;
  const uint64_t lowest = windowLowest_;
  windowLeft_ = windowFrames_;
  windowLowest_ = std::numeric_limits<uint64_t>::max();

  // The first settled fill is the queue, unless the microphone started
  // late and the ring holds more than the loudspeaker can have queued.
  if (!baselineSet_) {
    baseline_ = std::min(lowest, mostLead_);
    baselineSet_ = true;
  }
  // A frame above is the rhythm of the two devices' callbacks; two are a
  // drift or a pause. A fill that sinks is never raised again: the
  // queue comes back by itself after a playback stall.
  if (lowest < baseline_ + 2) return;
  const uint64_t excess = lowest - baseline_;
  framesRead_.store(framesRead_.load(std::memory_order_relaxed) + excess, std::memory_order_release);
  trimmed_.store(trimmed_.load(std::memory_order_relaxed) + excess, std::memory_order_relaxed);
  // The envelopes no longer line up across the cut; the filter needs no
  // new start, since the cut restores where it stood before.
  finder_->Clear(false);
  sinceFind_ = 0;
  streak_ = 0;
}

void CEchoCanceller::TakeReference(bool use) {
  const std::span<int16_t> reference(reference_.get(), frameSamples_);
  if (holdBack_ > 0) {
    // The ring fills by a frame while silence goes to the canceller.
    if (--holdBack_ == 0) {
      windowLeft_ = windowFrames_;
      windowLowest_ = std::numeric_limits<uint64_t>::max();
    }
    std::fill(reference.begin(), reference.end(), int16_t{0});
    return;
  }
  const uint64_t written = framesWritten_.load(std::memory_order_acquire);
  KeepInStep(written - framesRead_.load(std::memory_order_relaxed));
  const uint64_t read = framesRead_.load(std::memory_order_relaxed);
  if (written == read) {
    missing_.store(missing_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    if (use) std::fill(reference.begin(), reference.end(), int16_t{0});
    return;
  }
  if (use) {
    const std::span<int16_t> slot = Slot(read);
    std::copy(slot.begin(), slot.end(), reference.begin());
  }
  framesRead_.store(read + 1, std::memory_order_release);
}

void CEchoCanceller::Look(int lag) {
  if (lag >= 0 && lag <= comfortFrames_) {
    placed_ = true;
    streak_ = 0;
    return;
  }
  streak_ = streak_ > 0 && std::abs(lag - streakLag_) <= 1 ? streak_ + 1 : 1;
  streakLag_ = lag;
  // Before the echo has been seen where it is taken to be, a move costs
  // the filter little: two looks that agree will do, since one can be
  // fooled by a chance likeness. After, the echo must have stood out
  // elsewhere over two whole spans compared, which near speech talking
  // over it does not fake.
  if (streak_ >= (placed_ ? confirmLooks_ : 2)) Realign(lag);
}

void CEchoCanceller::Realign(int lag) {
  const int after = afterFrames_;
  // What the ring may lead by moves with the reference.
  if (lag > after) {
    const auto frames = static_cast<uint64_t>(lag - after);
    holdBack_ += frames;
    mostLead_ += frames;
    baseline_ += frames;
  } else {  // an echo before its reference: the ring is too far ahead
    const uint64_t read = framesRead_.load(std::memory_order_relaxed);
    const uint64_t waiting = framesWritten_.load(std::memory_order_acquire) - read;
    const uint64_t drop = std::min<uint64_t>(static_cast<uint64_t>(after - lag), waiting);
    framesRead_.store(read + drop, std::memory_order_release);
    trimmed_.store(trimmed_.load(std::memory_order_relaxed) + drop, std::memory_order_relaxed);
    mostLead_ -= std::min(mostLead_, drop);
    baseline_ -= std::min(baseline_, drop);
    windowLeft_ = windowFrames_;
    windowLowest_ = std::numeric_limits<uint64_t>::max();
  }
  realigned_.store(realigned_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  ResetEcho(false);
}

void CEchoCanceller::ResetEcho(bool quickLook) {
  // speexdsp's reset clears only the first half of a stereo state's tail;
  // what stays behind is the far end of the echo, which adapts away.
  for (std::size_t c = 0; c < channels_; ++c) speex_echo_state_reset(echo_[c]);
  // After a move, the echo must stand out over a whole span to be moved
  // again: a short one gets its delay a frame or two out often enough.
  finder_->Clear(quickLook);
  sinceFind_ = 0;
  streak_ = 0;
  placed_ = false;
}

void CEchoCanceller::LinkEchoStates(bool linked) {
  if (linked == statesLinked_) return;
  statesLinked_ = linked;
  for (std::size_t c = 0; c < channels_; ++c) {
    // Unlinked while the canceller is off: its last estimate would go on
    // being suppressed as echo.
    speex_preprocess_ctl(preprocess_[c], SPEEX_PREPROCESS_SET_ECHO_STATE, linked ? echo_[c] : nullptr);
  }
}

void CEchoCanceller::SetDenoising(bool on) {
  if (on == denoising_) return;
  denoising_ = on;
  int level = on ? kNoiseSuppressDb : 0;
  for (std::size_t c = 0; c < channels_; ++c)
    speex_preprocess_ctl(preprocess_[c], SPEEX_PREPROCESS_SET_NOISE_SUPPRESS, &level);
}

void CEchoCanceller::Clean(std::span<int16_t> mic) {
  if (channelSamples_ == 0 || mic.size() != frameSamples_) return;
  const bool echo = echoOn_.load(std::memory_order_relaxed);
  const bool noise = noiseOn_.load(std::memory_order_relaxed);
  TakeReference(echo);
  if (echo && !echoWasOn_) ResetEcho(true);
  echoWasOn_ = echo;
  if (echo) {
    const float reference = Loudness({reference_.get(), frameSamples_});
    finder_->Add(reference, Loudness(mic));
    quietFor_ = reference >= kAudibleLoudness ? 0 : quietFor_ + 1;
    if (++sinceFind_ >= findEvery_ && finder_->Ready()) {
      sinceFind_ = 0;
      const CDelayFinder::Match match = finder_->Best();
      if (match.likeness >= kLikenessNeeded) {
        Look(match.lag);
      } else {
        streak_ = 0;
      }
    }
  }
  if (!echo && !noise) return;
  // The suppressor is told of the canceller's echo only while there can be
  // some: what the canceller takes out of near speech alone would be
  // suppressed as echo too.
  LinkEchoStates(echo && quietFor_ <= echoFrames_);
  SetDenoising(noise);
  Process(mic, echo);
  cleaned_.store(cleaned_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

void CEchoCanceller::Process(std::span<int16_t> mic, bool echo) {
  const std::size_t n = channelSamples_;
  int16_t* in = channelIn_.get();
  int16_t* out = channelOut_.get();
  for (std::size_t c = 0; c < channels_; ++c) {
    for (std::size_t i = 0; i < n; ++i) in[c * n + i] = mic[i * channels_ + c];
  }
  if (!echo) std::swap(in, out);
  const std::size_t step = stepSamples_;
  for (std::size_t at = 0; at < n; at += step) {
    if (echo) {
      for (std::size_t c = 0; c < channels_; ++c) {
        speex_echo_cancellation(echo_[c], in + c * n + at, reference_.get() + at * channels_, out + c * n + at);
      }
    }
    for (std::size_t c = 0; c < channels_; ++c) speex_preprocess_run(preprocess_[c], out + c * n + at);
  }
  for (std::size_t c = 0; c < channels_; ++c) {
    for (std::size_t i = 0; i < n; ++i) mic[i * channels_ + c] = out[c * n + i];
  }
}

CEchoCanceller::Counts CEchoCanceller::Tally() const {
  constexpr auto relaxed = std::memory_order_relaxed;
  return {cleaned_.load(relaxed), missing_.load(relaxed), dropped_.load(relaxed), trimmed_.load(relaxed),
          realigned_.load(relaxed)};
}
