// The echo canceller and noise suppressor on the capture thread: one noted
// loudspeaker frame and one cleaned microphone frame, both switches on.
// "pct_of_frame" is the share of one core the capture thread needs for it
// in real time.

#include <benchmark/benchmark.h>

#include <vector>

#include "audio/cechocanceller.h"
#include "audio/soundtypes.h"
#include "benchsignal.h"

namespace {

// Args: sound type. PCM 11 kHz mono hands speexdsp the most steps a
// second: four of 3.6 ms to a frame.
void BM_EchoCancellerClean(benchmark::State& state) {
  const SoundFormat format = SoundFormat::Of(SoundType{static_cast<uint32_t>(state.range(0))});
  CEchoCanceller canceller(format);
  canceller.SetEchoCancel(true);
  canceller.SetNoiseSuppress(true);
  const auto frames = SpeechFrames(format.FrameSamples(), format.SampleRate(), 100);
  std::vector<int16_t> mic(format.FrameSamples());
  std::size_t f = 0;
  for (auto _ : state) {
    canceller.NotePlayed(frames[f % frames.size()]);
    // The microphone hears the loudspeaker three frames late, a quarter as loud.
    const auto& heard = frames[(f + frames.size() - 3) % frames.size()];
    for (std::size_t i = 0; i < mic.size(); ++i) mic[i] = static_cast<int16_t>(heard[i] / 4);
    canceller.Clean(mic);
    benchmark::DoNotOptimize(mic.data());
    ++f;
  }
  const double frameSeconds = static_cast<double>(format.FrameSamples()) /
                              (static_cast<double>(format.Channels()) * format.SampleRate());
  state.counters["pct_of_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * frameSeconds / 100.0,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_EchoCancellerClean)->Arg(9050)->Arg(9063)->Arg(9059)->Arg(9061)->Arg(9062)->Arg(9057);

}  // namespace
