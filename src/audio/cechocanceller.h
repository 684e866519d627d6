#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "audio/soundtypes.h"

class CDelayFinder;
struct SpeexEchoState_;
struct SpeexPreprocessState_;

// Takes the loudspeaker's echo and the steady background noise out of the
// microphone frames, with the speexdsp echo canceller and preprocessor.
// Echo cancellation is the adaptive filter and the preprocessor's
// suppression of the echo the filter leaves; noise suppression is the
// preprocessor's taking out of steady noise as well.
//
// The echo reference is what the loudspeaker was given: the playback
// thread notes each frame as it hands it to the device, into a ring that
// the capture thread drains, one reference frame per microphone frame.
// Where the reference stands against its echo is kept in two ways:
//
// - A frame is noted a device queue before it is heard, so in a steady call
//   the ring holds about that queue. The capture thread takes the ring's
//   lowest fill over half a second; when that creeps above what it settled
//   at (a loudspeaker clock running fast, the microphone reopened after a
//   pause) it drops the oldest frames. A fill that sinks (a microphone
//   clock running fast) ends in an empty ring, where silence stands in.
// - The filter converges fastest when the echo comes just after its
//   reference: speexdsp adapts the start of its tail most quickly. So
//   while the canceller is on, the capture thread also finds how late the
//   echo comes, from the loudness envelopes of the reference and the
//   microphone, and moves the reference to meet it: holding frames back
//   for a late echo, dropping some for an early one. The canceller then
//   starts again from nothing. The first look comes after half the usual
//   span compared, since a move is cheapest before the filter has learnt
//   much; later ones take the whole span.
//
// Threads: made and destroyed on the main thread, which alone calls the
// two switches. NotePlayed is the one producer (playback thread), Clean
// the one consumer (capture thread); neither locks or allocates. The
// producer alone advances the write count and the consumer alone the read
// count; the speexdsp states, the delay finder and the scratch buffers are
// the capture thread's once the devices run. Tally and Backlog are
// snapshots, read anywhere.
//
// Frames are the format's FrameSamples(), stereo interleaved; speexdsp
// gets them in steps of at most kStepMs.
class CEchoCanceller {
 public:
  // The echo the filter models after its reference: what the delay finder
  // leaves unplaced (some 30 ms, a frame or two), the loudspeaker's and microphone's own
  // ringing and the room's early reflections. The later reverberation (a
  // desktop room's echo has fallen by 20 to 30 dB after 100 to 150 ms) is
  // left to the residual echo suppressor. Longer delays, up to
  // kLatestEchoMs, the finder brings within the tail. A longer tail
  // converges more slowly: speexdsp counts itself adapted only after some
  // four tails' worth of far speech, and smooths the far end's power over
  // about three tails, so that a syllable much louder than the last ones
  // overshoots its filter until that power catches up. It also costs
  // more, about linearly.
  static constexpr int32_t kTailMs = 60;
  // The most speexdsp is handed at once. Its filter takes one adaptation
  // step per call, so shorter calls learn the echo sooner; its costs per
  // sample grow as they shorten, since the tail then spans more blocks.
  static constexpr int32_t kStepMs = 5;
  // How late an echo the delay finder looks for: a sound server's queues
  // and a device's own buffering beyond what the ring accounts for. It
  // also looks this early, for a ring that is ahead of the microphone.
  static constexpr int32_t kLatestEchoMs = 400;
  static constexpr int32_t kEarliestEchoMs = 100;
  // The reference the ring can hold: far more than any device queue, so
  // that only a stalled or closed microphone fills it.
  static constexpr int32_t kRingMs = 1000;
  // The span over which the ring's lowest fill is taken: longer than the
  // bursts in which a sound server asks for playback and delivers capture.
  static constexpr int32_t kWindowMs = 500;

  explicit CEchoCanceller(const SoundFormat& format);
  ~CEchoCanceller();
  CEchoCanceller(const CEchoCanceller&) = delete;
  CEchoCanceller& operator=(const CEchoCanceller&) = delete;

  std::size_t FrameSamples() const { return frameSamples_; }
  std::size_t RingFrames() const { return ringFrames_; }

  // Main thread; the capture thread picks a change up at its next frame.
  // Switched on again, the echo canceller starts from nothing, since the
  // echo path it had learnt may have changed meanwhile. Both start off.
  void SetEchoCancel(bool on) { echoOn_.store(on, std::memory_order_relaxed); }
  void SetNoiseSuppress(bool on) { noiseOn_.store(on, std::memory_order_relaxed); }
  bool EchoCancel() const { return echoOn_.load(std::memory_order_relaxed); }
  bool NoiseSuppress() const { return noiseOn_.load(std::memory_order_relaxed); }

  // Playback thread: one frame as it goes to the loudspeaker. A shorter
  // span is padded with silence, a longer one cut. Dropped, and counted,
  // when the ring is full.
  void NotePlayed(std::span<const int16_t> frame);

  // Capture thread: one microphone frame, cleaned in place. With both
  // switches off it is left exactly as it came, and so is a span of
  // another size than FrameSamples(). Every call but those holding the
  // reference back uses up one reference frame, so that the ring stays in
  // step while the switches are off.
  void Clean(std::span<int16_t> mic);

  // What became of the frames so far. Each count is written by one of the
  // two audio threads without locks.
  struct Counts {
    uint64_t cleaned = 0;    // microphone frames through the canceller or the suppressor
    uint64_t missing = 0;    // microphone frames that found the ring empty: silence was the reference
    uint64_t dropped = 0;    // reference frames refused by a full ring
    uint64_t trimmed = 0;    // reference frames thrown away as too far ahead of the microphone
    uint64_t realigned = 0;  // times the reference was moved to meet its echo
  };
  Counts Tally() const;

  // Reference frames waiting; exact on the capture thread, a snapshot elsewhere.
  uint32_t Backlog() const;

 private:
  std::span<int16_t> Slot(uint64_t count) const;
  void KeepInStep(uint64_t backlog);
  void TakeReference(bool use);
  void Look(int lag);
  void Realign(int lag);
  void ResetEcho(bool quickLook);
  void LinkEchoStates(bool linked);
  void SetDenoising(bool on);
  void Process(std::span<int16_t> mic, bool echo);

  const std::size_t frameSamples_;
  const std::size_t channels_;
  const std::size_t channelSamples_;  // frameSamples_ / channels_
  const std::size_t stepSamples_;     // per channel, a whole fraction of channelSamples_
  const std::size_t ringFrames_;
  const uint64_t windowFrames_;
  // The playback device's queue in frames: all a steady call can
  // legitimately have noted ahead.
  const uint64_t queueFrames_;
  const uint64_t findEvery_;   // frames between two looks for the echo's delay
  const int confirmLooks_;     // looks in a row that take two whole spans compared
  const int afterFrames_;      // where a moved reference puts the echo
  const int comfortFrames_;    // echo delays left as they are: 0 to this
  const uint64_t echoFrames_;  // how long a reference frame's echo can last

  // One echo state and one preprocessor per microphone channel; each echo
  // state hears every loudspeaker channel.
  std::unique_ptr<SpeexEchoState_*[]> echo_;
  std::unique_ptr<SpeexPreprocessState_*[]> preprocess_;

  std::atomic<bool> echoOn_{false};
  std::atomic<bool> noiseOn_{false};

  // 64-bit counts never wrap in practice, so a slot is simply count % ringFrames_.
  std::atomic<uint64_t> framesWritten_{0};
  std::atomic<uint64_t> framesRead_{0};
  std::unique_ptr<int16_t[]> ring_;

  // The capture thread's own.
  std::unique_ptr<CDelayFinder> finder_;
  std::unique_ptr<int16_t[]> reference_;  // one frame, interleaved
  std::unique_ptr<int16_t[]> channelIn_;  // one frame, channel after channel
  std::unique_ptr<int16_t[]> channelOut_;
  bool echoWasOn_ = false;
  bool statesLinked_ = false;
  // Whether the preprocessor is set to take out noise as well as the echo
  // the filter left; capture thread.
  bool denoising_ = false;
  bool referenceSeen_ = false;
  bool baselineSet_ = false;
  // The most the ring may settle at, in frames: the playback device's queue
  // give or take the order of the two callbacks, and where the delay finder
  // has moved the reference since.
  uint64_t mostLead_;
  uint64_t baseline_ = 0;
  uint64_t windowLowest_ = 0;
  uint64_t windowLeft_ = 0;
  uint64_t holdBack_ = 0;  // frames still to be held back
  uint64_t sinceFind_ = 0;
  uint64_t quietFor_ = 0;  // reference frames in a row too quiet to leave an echo
  int streakLag_ = 0;
  int streak_ = 0;       // looks in a row that found the echo at streakLag_, give or take a frame
  bool placed_ = false;  // the echo has been seen where the reference puts it

  // Written by one thread each, relaxed: figures, not hand-overs.
  std::atomic<uint64_t> cleaned_{0};
  std::atomic<uint64_t> missing_{0};
  std::atomic<uint64_t> dropped_{0};
  std::atomic<uint64_t> trimmed_{0};
  std::atomic<uint64_t> realigned_{0};
};
