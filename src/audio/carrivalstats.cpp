#include "audio/carrivalstats.h"

#include <algorithm>
#include <cmath>

namespace {

// The playout target falls by one frame period over this many arrivals
// (two seconds of 20 ms frames), so that a burst of delay that has passed
// is not followed by another one it would have covered.
constexpr double kFallArrivals = 100.0;

}  // namespace

CArrivalStats::CArrivalStats(double frameSeconds) : frameSeconds_(frameSeconds > 0 ? frameSeconds : 0.02) {}

void CArrivalStats::Restart(double now) {
  anchor_ = now;
  previous_ = now;
  sinceAnchor_ = 0;
  filled_ = 0;
  next_ = 0;
}

void CArrivalStats::Note(double now) {
  if (resetRequest_.load(std::memory_order_acquire)) {
    resetRequest_.store(false, std::memory_order_relaxed);
    Restart(now);
    lostBefore_ = 0;
    jitter_ = 0.0;
    playout_ = 0.0;
    received_.store(0, std::memory_order_relaxed);
    lost_.store(0, std::memory_order_relaxed);
  } else if (now - previous_ > kPauseSeconds) {
    lostBefore_ = lost_.load(std::memory_order_relaxed);
    Restart(now);
  } else {
    // RFC 3550's estimate, with one frame period as the sending interval.
    const double variation = std::abs((now - previous_) - frameSeconds_);
    jitter_ += (variation - jitter_) / 16.0;
  }
  previous_ = now;

  double lateness = now - anchor_ - static_cast<double>(sinceAnchor_) * frameSeconds_;
  if (lateness < 0) {
    // Earlier than any frame so far: the schedule started late (the first
    // frame was itself delayed), so it moves to this one.
    anchor_ += lateness;
    for (std::size_t i = 0; i < filled_; ++i) lateness_[i] -= lateness;
    lateness = 0;
  }
  ++sinceAnchor_;
  lateness_[next_] = lateness;
  next_ = (next_ + 1) % kWindow;
  filled_ = std::min(filled_ + 1, kWindow);

  const double floor = Floor();
  const double delay = HighPercentile(floor);
  playout_ = std::max(delay, playout_ - frameSeconds_ / kFallArrivals);
  const auto frames = static_cast<uint32_t>(std::ceil(playout_ / frameSeconds_ - 1e-9));

  received_.store(received_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
  lost_.store(lostBefore_ + static_cast<uint64_t>(std::llround(floor / frameSeconds_)), std::memory_order_relaxed);
  jitterSeconds_.store(jitter_, std::memory_order_relaxed);
  playoutSeconds_.store(playout_, std::memory_order_relaxed);
  targetFrames_.store(std::max<uint32_t>(1, frames), std::memory_order_relaxed);
}

double CArrivalStats::Floor() const {
  return *std::min_element(lateness_.begin(), lateness_.begin() + static_cast<std::ptrdiff_t>(filled_));
}

double CArrivalStats::HighPercentile(double floor) {
  const auto end = scratch_.begin() + static_cast<std::ptrdiff_t>(filled_);
  std::transform(lateness_.begin(), lateness_.begin() + static_cast<std::ptrdiff_t>(filled_), scratch_.begin(),
                 [floor](double l) { return l - floor; });
  const auto rank = static_cast<std::ptrdiff_t>(std::ceil(kCoverage * static_cast<double>(filled_))) - 1;
  const auto at = scratch_.begin() + std::clamp<std::ptrdiff_t>(rank, 0, static_cast<std::ptrdiff_t>(filled_) - 1);
  std::nth_element(scratch_.begin(), at, end);
  return *at;
}

CArrivalStats::Figures CArrivalStats::Snapshot() const {
  constexpr auto relaxed = std::memory_order_relaxed;
  return {received_.load(relaxed), lost_.load(relaxed), jitterSeconds_.load(relaxed) * 1000.0,
          playoutSeconds_.load(relaxed) * 1000.0};
}
