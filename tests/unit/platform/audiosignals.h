#pragma once

#include <sndfile.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <limits>
#include <numbers>
#include <thread>
#include <vector>

// Sounds made and checked by the audio tests: tones, WAV files, and the
// callbacks that play or record through a stream.
namespace audiosignals {

// Interleaved frames of one sine on every channel.
inline std::vector<int16_t> Tone(int rate, int channels, double hz, double seconds,
                                 double amplitude = 12000) {
  const auto frames = static_cast<std::size_t>(rate * seconds);
  std::vector<int16_t> samples(frames * static_cast<std::size_t>(channels));
  for (std::size_t f = 0; f < frames; ++f) {
    const auto value =
        static_cast<int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * f / rate)));
    std::fill_n(samples.begin() + static_cast<std::ptrdiff_t>(f * channels), channels, value);
  }
  return samples;
}

// format is a libsndfile major|minor format, e.g. SF_FORMAT_WAV | SF_FORMAT_PCM_U8.
inline bool WriteSoundFile(const std::filesystem::path& path, int rate, int channels, int format,
                           const std::vector<int16_t>& samples) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (!file) return false;
  const sf_count_t frames = static_cast<sf_count_t>(samples.size()) / channels;
  const bool written = sf_writef_short(file, samples.data(), frames) == frames;
  return sf_close(file) == 0 && written;
}

// How much of the power of samples[first, first + count) lies at hz, 0 to
// about 1. count should hold a whole number of cycles.
inline double ToneShare(const std::vector<int16_t>& samples, std::size_t first, std::size_t count, int rate,
                        double hz) {
  const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / rate);
  double previous = 0, beforePrevious = 0, energy = 0;
  for (std::size_t i = first; i < first + count; ++i) {
    const double current = samples[i] + coefficient * previous - beforePrevious;
    beforePrevious = previous;
    previous = current;
    energy += double(samples[i]) * samples[i];
  }
  const double power =
      previous * previous + beforePrevious * beforePrevious - coefficient * previous * beforePrevious;
  return energy > 0 ? 2 * power / (double(count) * energy) : 0;
}

// Analysis windows are a tenth of a second: a whole number of cycles of every tone used here.
inline std::size_t Window(int rate) {
  return static_cast<std::size_t>(rate / 10);
}

// True when the window from first on is clearly the tone, or the sum of the tones.
inline bool IsTone(const std::vector<int16_t>& samples, std::size_t first, int rate,
                   std::initializer_list<double> hz) {
  double share = 0;
  for (const double h : hz) share += ToneShare(samples, first, Window(rate), rate, h);
  return share > 0.6;
}

// True once the last window of the samples is clearly the tone.
inline bool EndsInTone(const std::vector<int16_t>& samples, int rate, double hz) {
  return samples.size() >= Window(rate) && IsTone(samples, samples.size() - Window(rate), rate, {hz});
}

// How many whole windows of the samples are clearly the tones.
inline int ToneWindows(const std::vector<int16_t>& samples, int rate, std::initializer_list<double> hz) {
  int found = 0;
  for (std::size_t first = 0; first + Window(rate) <= samples.size(); first += Window(rate)) {
    found += IsTone(samples, first, rate, hz) ? 1 : 0;
  }
  return found;
}

inline bool WaitUntil(const auto& done) {
  for (int i = 0; i < 300; ++i) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return done();
}

// Counts what each callback of a stream was handed.
struct CallbackSizes {
  void Note(std::size_t count) {
    calls.fetch_add(1);
    if (count < smallest.load()) smallest.store(count);
    if (count > largest.load()) largest.store(count);
  }
  std::atomic<int> calls{0};
  std::atomic<std::size_t> smallest{std::numeric_limits<std::size_t>::max()};
  std::atomic<std::size_t> largest{0};
};

// An output callback playing a sine on every channel.
struct ToneSource {
  ToneSource(int rate, int channels, double hz)
      : step(2 * std::numbers::pi * hz / rate), channels(channels) {}
  static void Fill(int16_t* samples, std::size_t count, void* user) {
    auto& self = *static_cast<ToneSource*>(user);
    self.sizes.Note(count);
    for (std::size_t i = 0; i < count; i += self.channels) {
      const auto value = static_cast<int16_t>(12000 * std::sin(self.phase));
      std::fill_n(samples + i, self.channels, value);
      self.phase = std::fmod(self.phase + self.step, 2 * std::numbers::pi);
    }
  }
  double phase = 0;
  double step;
  std::size_t channels;
  CallbackSizes sizes;
};

// An input callback keeping the first channel of what it records, up to a fixed capacity.
struct Recorder {
  Recorder(std::size_t capacity, int channels) : samples(capacity), channels(channels) {}
  static void Take(int16_t* recorded, std::size_t count, void* user) {
    auto& self = *static_cast<Recorder*>(user);
    self.sizes.Note(count);
    std::size_t filled = self.filled.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < count && filled < self.samples.size(); i += self.channels) {
      self.samples[filled++] = recorded[i];
    }
    self.filled.store(filled, std::memory_order_release);
  }
  // What has been recorded so far.
  std::vector<int16_t> Recorded() const {
    return {samples.begin(),
            samples.begin() + static_cast<std::ptrdiff_t>(filled.load(std::memory_order_acquire))};
  }
  std::vector<int16_t> samples;
  std::size_t channels;
  std::atomic<std::size_t> filled{0};
  CallbackSizes sizes;
};

}  // namespace audiosignals
