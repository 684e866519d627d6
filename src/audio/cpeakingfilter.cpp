#include "audio/cpeakingfilter.h"

#include <cmath>

#include "audio/saturate.h"

CPeakingFilter::Coefficients CPeakingFilter::Design(float sampleRate, float centre, float gainDb, float q) {
  Coefficients c;
  if (!(sampleRate > 0) || !(centre > 0)) return c;  // no rate selected yet: pass audio unchanged
  const double fs = sampleRate;
  const auto g = static_cast<float>(gainDb * 0.15151515151515152);
  if (fs * 0.5 < centre) centre = static_cast<float>(fs * 0.5);
  const auto tau = static_cast<float>(1.0 / (6.283185307179586 * centre));
  const auto k = static_cast<float>(tau / std::tan(tau / (2.0 * fs)));
  const auto a = static_cast<float>(static_cast<double>(tau) * tau * k * k);
  const auto c1 = static_cast<float>((3.0 + g) * tau * k * q);
  const auto c2 = static_cast<float>((3.0 - g) * tau * k * q);
  const double d = static_cast<double>(a) + c2 + 1.0;
  c.b0 = static_cast<float>((static_cast<double>(a) + c1 + 1.0) / d);
  c.b1 = static_cast<float>(2.0 * (1.0 - a) / d);
  c.b2 = static_cast<float>((static_cast<double>(a) - c1 + 1.0) / d);
  c.a1 = static_cast<float>(2.0 * (1.0 - a) / d);
  c.a2 = static_cast<float>((static_cast<double>(a) - c2 + 1.0) / d);
  return c;
}

CPeakingFilter::CPeakingFilter(const Coefficients& coefficients, float scale, int32_t cascades)
    : coefficients_(coefficients), scale_(scale), cascades_(cascades) {}

void CPeakingFilter::Run(std::span<int16_t> frame) const {
  const auto& [b0, b1, b2, a1, a2] = coefficients_;
  for (int32_t pass = 0; pass < cascades_; ++pass) {
    // Direct form II. The intermediate is truncated toward zero like the
    // output but not held to 16 bits: at low frequencies the feedback half
    // alone has a gain of d / 4 (see Design), about 2 at 8 kHz and 17 at
    // 32 kHz with the defaults, so a 16-bit intermediate would clip ordinary
    // speech. Only the output saturates.
    float w1 = 0, w2 = 0;
    for (int16_t& x : frame) {
      const float w = std::trunc(static_cast<float>(x) * scale_ - a1 * w1 - a2 * w2);
      x = SaturateToSample(b0 * w + b1 * w1 + b2 * w2);
      w2 = w1;
      w1 = w;
    }
  }
}
