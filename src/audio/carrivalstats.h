#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

// How the peer's frames arrive, for the call's figures and for a playout
// that follows the network instead of a fixed pre-buffer.
//
// The datagrams carry neither sequence numbers nor timestamps, so the
// figures come from the arrival schedule alone: the sender captures one
// frame every frame period, and a frame's lateness is how much later than
// that steady schedule it arrives, counted from the frames received so far.
// A lost frame leaves every later frame one period later for good; jitter
// comes and goes. So the floor of recent lateness, in whole periods, is the
// frames lost, and what rises above that floor is the delay the playout has
// to ride out. A gap of more than kPauseSeconds is the sender's silence (a
// muted microphone sends nothing), not loss, and starts the schedule anew.
//
// Threads: Note is the receive thread's (the one writer); the figures and
// the target are read anywhere as snapshots, and a reset is asked by anyone
// and carried out by the next Note. Nothing here locks or allocates.
class CArrivalStats {
 public:
  // Recent arrivals the floor and the playout delay are taken from: one
  // second of 20 ms frames.
  static constexpr std::size_t kWindow = 50;
  static constexpr double kPauseSeconds = 0.5;
  // The share of recent arrivals the playout target covers.
  static constexpr double kCoverage = 0.95;

  explicit CArrivalStats(double frameSeconds);
  CArrivalStats(const CArrivalStats&) = delete;
  CArrivalStats& operator=(const CArrivalStats&) = delete;

  double FrameSeconds() const { return frameSeconds_; }

  // Receive thread: a frame of the call arrived at now (seconds on a
  // steady clock).
  void Note(double now);
  void RequestReset() { resetRequest_.store(true, std::memory_order_release); }

  struct Figures {
    uint64_t received = 0;
    uint64_t lost = 0;
    double jitterMs = 0.0;       // interarrival jitter, smoothed over 16 arrivals as RTP does
    double playoutDelayMs = 0.0;  // the delay the playout target covers: rises at once, falls slowly
  };
  Figures Snapshot() const;

  // Frames of backlog the speaker spool should keep to ride out the recent
  // arrival delays; at least 1.
  uint32_t TargetFrames() const { return targetFrames_.load(std::memory_order_relaxed); }

 private:
  void Restart(double now);
  double Floor() const;
  double HighPercentile(double floor);

  const double frameSeconds_;
  std::atomic<bool> resetRequest_{true};

  // The receive thread's own.
  double anchor_ = 0.0;  // when frame 0 would have arrived on time
  double previous_ = 0.0;
  uint64_t sinceAnchor_ = 0;
  uint64_t lostBefore_ = 0;  // lost in earlier stretches, before a pause
  std::array<double, kWindow> lateness_{};
  std::array<double, kWindow> scratch_{};
  std::size_t filled_ = 0;
  std::size_t next_ = 0;
  double jitter_ = 0.0;
  double playout_ = 0.0;

  std::atomic<uint64_t> received_{0};
  std::atomic<uint64_t> lost_{0};
  std::atomic<double> jitterSeconds_{0.0};
  std::atomic<double> playoutSeconds_{0.0};
  std::atomic<uint32_t> targetFrames_{1};
};
