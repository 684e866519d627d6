#pragma once

#include <chrono>

// The round trip to a peer, from requests it answers at once (the line's
// keep-alives, the presence probes). Smoothed over about eight answers, as
// TCP smooths its round-trip time, so one answer held up on the way does not
// swing the figure. An answer without a request, or one later than
// kGiveUpSeconds, is not a measurement. One thread's own (the main thread's).
class CRoundTrip {
 public:
  static constexpr double kGiveUpSeconds = 5.0;

  static double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  }

  void Sent(double now) { sent_ = now; }

  void Answered(double now) {
    if (sent_ < 0) return;
    const double sample = now - sent_;
    sent_ = -1;
    if (sample < 0 || sample > kGiveUpSeconds) return;
    smoothed_ = smoothed_ < 0 ? sample : smoothed_ + (sample - smoothed_) / 8;
  }

  bool Known() const { return smoothed_ >= 0; }
  double Milliseconds() const { return Known() ? smoothed_ * 1000.0 : -1.0; }

  void Reset() { *this = CRoundTrip(); }

 private:
  double sent_ = -1;
  double smoothed_ = -1;
};
