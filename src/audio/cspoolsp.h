#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "audio/soundtypes.h"
#include "settings/audiosettings.h"

class CFilters;

// The speaker spool: a ring of decoded frames between the thread that
// receives them and the playback callback. It absorbs jitter, trims a growing
// backlog, conceals short gaps and runs the playback filters on each frame as
// it leaves.
//
// Threads: Put is the one producer (receive thread, or the capture thread in
// the sound test), Get the one consumer (playback callback); neither locks,
// allocates or reads the settings store. The producer alone advances the
// write count and the consumer alone the read count; a reset is requested
// by anyone and carried out by the consumer. RequestReset, LoadPreBuffer and
// SetLimitLevel belong to the main thread.
//
// Frames are the frame bytes of the format it is made for.
class CSpoolSp {
 public:
  static constexpr uint32_t kSlotCount = 100;
  static constexpr uint32_t kDefaultPreBuffer = AudioSettings::kDefaultPreBuffer;

  CSpoolSp(AudioSettings settings, CFilters& filters, const SoundFormat& format);
  ~CSpoolSp();
  CSpoolSp(const CSpoolSp&) = delete;
  CSpoolSp& operator=(const CSpoolSp&) = delete;

  std::size_t FrameSamples() const { return frameSamples_; }

  // Stores one frame; a shorter span is padded with silence, a longer one
  // cut. Dropped while a reset is pending, and a full ring (100 frames not yet
  // played) requests a reset instead: the backlog is then seconds old and
  // better thrown away than played late.
  void Put(std::span<const int16_t> frame);

  // Fills out with one frame (FrameSamples() of it); true when a received
  // frame was played, false for silence or concealment. Above TrimLimit()
  // frames of backlog it skips one frame per call, blending it into the next;
  // on an empty ring it plays the last frame reversed, then in its own order
  // again, then silence.
  bool Get(std::span<int16_t> out);

  void RequestReset() { resetRequest_.store(true, std::memory_order_release); }

  // Reads "PreBuffer" (15, written back, when 0 or absent). Main thread: at
  // construction and when the setting changes; Get only reads the copy.
  void LoadPreBuffer();
  uint32_t PreBuffer() const { return preBuffer_.load(std::memory_order_relaxed); }

  // Low-latency playout: the backlog kept follows the arrivals' own delay
  // (the receive thread hands in the frames it calls for with every frame)
  // instead of the fixed pre-buffer. Main thread switches it.
  void SetAdaptive(bool on) { adaptive_.store(on, std::memory_order_relaxed); }
  bool Adaptive() const { return adaptive_.load(std::memory_order_relaxed); }
  void SetPlayoutTarget(uint32_t frames) { playoutTarget_.store(frames, std::memory_order_relaxed); }
  // The backlog beyond which Get trims.
  uint32_t TrimLimit() const;

  // The speaker volume slider position (0 to 65535), the limiter's level.
  // Written every heartbeat; a reset clears it until the next one.
  void SetLimitLevel(int32_t level) { limitLevel_.store(level, std::memory_order_relaxed); }
  int32_t LimitLevel() const { return limitLevel_.load(std::memory_order_relaxed); }

  // Frames waiting; exact on the consumer's thread, a snapshot elsewhere.
  uint32_t Backlog() const;

  // What became of the frames so far, for the call's figures: gaps played
  // as concealment (the last frame again) or as silence, frames trimmed from
  // a growing backlog, and frames thrown away as too late (a full ring, or
  // arriving while the spool starts over). Counted by the two audio threads
  // without locks; read anywhere as a snapshot.
  struct Counts {
    uint64_t played = 0;
    uint64_t concealed = 0;
    uint64_t silent = 0;
    uint64_t trimmed = 0;
    uint64_t late = 0;
  };
  Counts Tally() const;

 private:
  std::span<int16_t> Slot(uint64_t count) const;

  AudioSettings settings_;
  CFilters& filters_;
  const std::size_t frameSamples_;
  // 64-bit counts never wrap in practice, so a slot is simply count % 100.
  std::atomic<uint64_t> framesWritten_{0};
  std::atomic<uint64_t> framesRead_{0};
  std::atomic<bool> resetRequest_{true};  // the first Get starts from a clean ring
  std::atomic<uint32_t> preBuffer_{kDefaultPreBuffer};
  std::atomic<bool> adaptive_{false};
  std::atomic<uint32_t> playoutTarget_{1};
  std::atomic<int32_t> limitLevel_{0};
  std::unique_ptr<int16_t[]> storage_;
  // The consumer conceals from its own copy of the last frame played, never
  // from a ring slot, which the producer may be refilling at that moment.
  std::unique_ptr<int16_t[]> lastPlayed_;
  uint32_t underruns_ = 0;  // consumer's own
  // Written by one thread each (late by the producer and at a reset by the
  // consumer, hence a fetch_add), relaxed: figures, not hand-overs.
  std::atomic<uint64_t> played_{0};
  std::atomic<uint64_t> concealed_{0};
  std::atomic<uint64_t> silent_{0};
  std::atomic<uint64_t> trimmed_{0};
  std::atomic<uint64_t> late_{0};
};
