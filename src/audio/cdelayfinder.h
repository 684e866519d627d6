#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// How late the microphone's loudness follows the loudspeaker's, in frames:
// the lag at which the two loudness envelopes correlate best over the last
// few syllables. Speech rises and falls by syllables, and its echo does the
// same a delay later, whatever the room does to its colour.
//
// It is given one loudness of each per frame. It keeps a window of the
// microphone's envelope and, for every lag looked at, as much more of the
// loudspeaker's; nothing allocates after construction. One thread.
class CDelayFinder {
 public:
  // window: the frames compared; firstWindow: how few a first look after
  // Clear(true) may take; earliest and latest: the lags looked at, from an
  // echo `earliest` frames before its reference to one `latest` frames after.
  CDelayFinder(std::size_t window, std::size_t firstWindow, std::size_t earliest, std::size_t latest);
  ~CDelayFinder();
  CDelayFinder(const CDelayFinder&) = delete;
  CDelayFinder& operator=(const CDelayFinder&) = delete;

  // Forgets what was heard; quick: the first look may come after the
  // shorter first window.
  void Clear(bool quick);
  void Add(float reference, float mic);
  // Enough microphone frames for a look; the reference before the first
  // frame counts as silence, which it was.
  bool Ready() const { return count_ >= needed_; }

  struct Match {
    int lag = 0;         // negative: the echo comes before its reference
    float likeness = 0;  // the correlation at that lag; 0 when nothing varied
  };
  Match Best();

 private:
  float Reference(int64_t t) const;

  const std::size_t window_, firstWindow_, earliest_, latest_, length_;
  std::unique_ptr<float[]> reference_;
  std::unique_ptr<float[]> mic_;
  std::unique_ptr<float[]> centred_;
  uint64_t count_ = 0;
  uint64_t needed_ = 0;
};
