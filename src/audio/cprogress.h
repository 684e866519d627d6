#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "audio/soundtypes.h"

// A level and scope tap on one direction of audio. The microphone tap (made
// with history off) reports the newest frame. The speaker tap (history on)
// reports the frame of 2 x buffer factor frames ago, about what leaves the
// loudspeaker now, since the playback device holds that many ahead.
//
// Threads: Tap runs on an audio callback; ReadLevel, GetFrame and Clear on
// the main thread. Samples and levels are atomics and a frame is copied in
// under a sequence count, so GetFrame hands out a whole frame or nothing.
// Nobody waits: Tap skips a frame while a Clear writes, and a Clear that
// finds a frame being written is left to that Tap, which clears on its way
// out (or to the next reader, should that Tap have just missed it); until
// then the tap reads as cleared.
class CProgress {
 public:
  static constexpr int32_t kHoldReads = 5;

  // history: 1 for the speaker tap. Sizes come from the format.
  CProgress(int history, const SoundFormat& format);
  ~CProgress();
  CProgress(const CProgress&) = delete;
  CProgress& operator=(const CProgress&) = delete;

  std::size_t FrameSamples() const { return frameSamples_; }
  std::size_t HistoryFrames() const { return slots_; }

  // Audio thread.
  void Tap(std::span<const int16_t> frame);

  // Twice the largest magnitude of the reported frame, 0 to 65536. A level
  // that stops changing is reported kHoldReads more times, then as 0, so a
  // meter falls when frames stop coming. Main thread.
  int32_t ReadLevel();

  // Copies the reported frame into out (up to FrameSamples()); false, and out
  // not to be shown, when a frame was being written meanwhile. Main thread.
  bool GetFrame(std::span<int16_t> out) const;

  // Zeroes every level and sample (speaker muted, tap rebuilt). Main thread.
  void Clear();

  // 2 x largest magnitude: -32768 gives 65536.
  static int32_t LevelOf(std::span<const int16_t> frame);

 private:
  // The write turn, if nobody holds it.
  bool BeginWrite();
  void EndWrite();
  void TryClear();
  void Zero();

  const bool history_;
  const std::size_t frameSamples_;
  const std::size_t slots_;  // history frames, or 1
  std::unique_ptr<std::atomic<int16_t>[]> samples_;
  std::unique_ptr<std::atomic<int32_t>[]> levels_;
  std::atomic<uint32_t> writePosition_{0};
  // Odd while a frame is being written; a reader that sees it change has read
  // a frame being overwritten.
  std::atomic<uint32_t> sequence_{0};
  std::atomic<bool> clearPending_{false};
  int32_t lastReported_ = 0;  // main thread's own
  int32_t hold_ = 0;          // main thread's own
};
