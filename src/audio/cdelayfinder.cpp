#include "audio/cdelayfinder.h"

#include <algorithm>
#include <cmath>

CDelayFinder::CDelayFinder(std::size_t window, std::size_t firstWindow, std::size_t earliest,
                           std::size_t latest)
    : window_(window),
      firstWindow_(std::min(firstWindow, window)),
      earliest_(earliest),
      latest_(latest),
      length_(window + earliest + latest),
      reference_(std::make_unique<float[]>(length_)),
      mic_(std::make_unique<float[]>(length_)),
      centred_(std::make_unique<float[]>(window)) {}

CDelayFinder::~CDelayFinder() = default;

void CDelayFinder::Clear(bool quick) {
  std::fill_n(reference_.get(), length_, 0.0f);
  std::fill_n(mic_.get(), length_, 0.0f);
  count_ = 0;
  needed_ = (quick ? firstWindow_ : window_) + earliest_;
}

void CDelayFinder::Add(float reference, float mic) {
  reference_[count_ % length_] = reference;
  mic_[count_ % length_] = mic;
  ++count_;
}

CDelayFinder::Match CDelayFinder::Best() {
  // The microphone's window ends `earliest_` frames back, so that the
  // reference is known for every lag looked at. Until a whole window has
  // been heard, what there is.
  const uint64_t end = count_ - std::min<uint64_t>(count_, earliest_);
  const auto window = static_cast<std::size_t>(std::min<uint64_t>(window_, end));
  Match best;
  if (window == 0) return best;
  const uint64_t start = end - window;
  double mean = 0;
  for (uint64_t t = start; t < end; ++t) mean += mic_[t % length_];
  mean /= static_cast<double>(window);
  double micSpread = 0;
  for (uint64_t t = start; t < end; ++t) {
    const auto x = static_cast<float>(mic_[t % length_] - mean);
    centred_[t - start] = x;
    micSpread += static_cast<double>(x) * x;
  }
  if (micSpread <= 0) return best;
  const auto n = static_cast<double>(window);
  for (int lag = -static_cast<int>(earliest_); lag <= static_cast<int>(latest_); ++lag) {
    double sum = 0, squares = 0, cross = 0;
    for (uint64_t t = start; t < end; ++t) {
      const float y = Reference(static_cast<int64_t>(t) - lag);
      sum += y;
      squares += static_cast<double>(y) * y;
      cross += static_cast<double>(centred_[t - start]) * y;
    }
    const double spread = squares - sum * sum / n;
    if (spread <= 1e-6 * squares || spread <= 0) continue;
    const auto likeness = static_cast<float>(cross / std::sqrt(micSpread * spread));
    if (likeness > best.likeness) best = {lag, likeness};
  }
  return best;
}

float CDelayFinder::Reference(int64_t t) const {
  if (t < 0 || t + static_cast<int64_t>(length_) <= static_cast<int64_t>(count_)) return 0.0f;
  return reference_[static_cast<uint64_t>(t) % length_];
}
