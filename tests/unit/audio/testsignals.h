#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <span>
#include <vector>

// Signals and measurements shared by the audio tests.

// A sine of the given frequency; `start` is the index of the first sample in
// a longer signal, so consecutive frames join without a jump.
inline std::vector<int16_t> Tone(std::size_t samples, double frequency, double rate, double amplitude,
                                 std::size_t start = 0) {
  std::vector<int16_t> out(samples);
  for (std::size_t i = 0; i < samples; ++i) {
    const double phase = 2.0 * std::numbers::pi * frequency * static_cast<double>(start + i) / rate;
    out[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(phase)));
  }
  return out;
}

// The amplitude of the component at `frequency`, by a least-squares fit of a
// sine and a cosine; good over windows of a few periods that need not be whole.
inline double AmplitudeAt(std::span<const int16_t> samples, double frequency, double rate) {
  double ss = 0, cc = 0, sc = 0, xs = 0, xc = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double phase = 2.0 * std::numbers::pi * frequency * static_cast<double>(i) / rate;
    const double s = std::sin(phase), c = std::cos(phase), x = samples[i];
    ss += s * s;
    cc += c * c;
    sc += s * c;
    xs += x * s;
    xc += x * c;
  }
  const double det = ss * cc - sc * sc;
  const double a = (xs * cc - xc * sc) / det;
  const double b = (xc * ss - xs * sc) / det;
  return std::hypot(a, b);
}

inline double Decibels(double ratio) {
  return 20.0 * std::log10(ratio);
}

// The largest normalised correlation of `out` against `in` over output delays
// 0 to maxDelay: near 1 when out is in delayed by some samples.
inline double BestCorrelation(std::span<const int16_t> in, std::span<const int16_t> out,
                              std::size_t maxDelay) {
  double best = 0;
  for (std::size_t delay = 0; delay <= maxDelay && delay < out.size(); ++delay) {
    double xy = 0, xx = 0, yy = 0;
    for (std::size_t i = 0; i + delay < out.size() && i < in.size(); ++i) {
      const double x = in[i], y = out[i + delay];
      xy += x * y;
      xx += x * x;
      yy += y * y;
    }
    if (xx > 0 && yy > 0) best = std::max(best, xy / std::sqrt(xx * yy));
  }
  return best;
}
