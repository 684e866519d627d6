#pragma once

#include <cstdint>
#include <span>

// The second-order peaking section the user interface calls "Bandpass":
// unity far from the centre frequency and (3 + g) / (3 - g) at it, with
// g = gain in dB / 6.6. A plain value, cheap to copy, so a whole new filter
// can be handed to the playback thread at once.
class CPeakingFilter {
 public:
  struct Coefficients {
    float b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
  };

  // The bilinear transform with K computed from the time constant rather than
  // prewarped, so the peak lands at fs / pi * atan(pi * f0 / fs), a little
  // below f0. Each intermediate is rounded to a float as it is stored, which
  // keeps the coefficients those of the program's earlier releases. A centre
  // above fs / 2 is taken as fs / 2.
  static Coefficients Design(float sampleRate, float centre, float gainDb, float q);

  CPeakingFilter() = default;
  CPeakingFilter(const Coefficients& coefficients, float scale, int32_t cascades);

  // Runs the section `cascades` times over the frame in place, each pass
  // scaling its input and starting from a silent history: no state is
  // carried between frames, so a dropped or concealed frame cannot ring on.
  // Stereo frames are one sequence of interleaved samples.
  void Run(std::span<int16_t> frame) const;

  const Coefficients& GetCoefficients() const { return coefficients_; }
  float Scale() const { return scale_; }
  int32_t Cascades() const { return cascades_; }

 private:
  Coefficients coefficients_;
  float scale_ = 1;
  int32_t cascades_ = 1;
};
