#pragma once

#include <atomic>
#include <cstdint>

// The delay a stream's callbacks see, kept by the callback and read by
// anyone. Smoothed over the last few callbacks, since a sound server hands
// out buffers in bursts. Only the callback writes, so plain loads and stores
// of lock-free atomics are enough and the callback never waits.
class CStreamDelayMeter {
 public:
  // Callback thread: once per callback, with the delay it saw.
  void Note(double delaySeconds) {
    constexpr double kSmoothing = 1.0 / 8;
    constexpr double kBelievable = 10.0;  // seconds; beyond it the host's clock is off
    callbacks_.store(callbacks_.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    // Hosts that keep no timing report zeros; those say nothing.
    if (!(delaySeconds > 0.0 && delaySeconds < kBelievable)) return;
    const double average = delay_.load(std::memory_order_relaxed);
    delay_.store(average == 0.0 ? delaySeconds : average + (delaySeconds - average) * kSmoothing,
                 std::memory_order_relaxed);
  }

  double DelaySeconds() const { return delay_.load(std::memory_order_relaxed); }
  uint64_t Callbacks() const { return callbacks_.load(std::memory_order_relaxed); }

 private:
  std::atomic<double> delay_{0.0};
  std::atomic<uint64_t> callbacks_{0};
  static_assert(std::atomic<double>::is_always_lock_free);
};
