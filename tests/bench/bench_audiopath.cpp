// The per-frame work on the playback and capture threads besides the codecs:
// filters, the speaker spool, the level taps, and one whole full-duplex frame
// of the heaviest sound type.

#include <benchmark/benchmark.h>

#include <vector>

#include "../fakes/cmemorykeystore.h"
#include "audio/ccodecset.h"
#include "audio/cfilters.h"
#include "audio/cprogress.h"
#include "audio/cspoolsp.h"
#include "audio/soundtypes.h"
#include "benchsignal.h"
#include "settings/cparams.h"

namespace {

// Settings with the bandpass and limiter on or off and the given cascades.
struct Settings {
  explicit Settings(bool filtersOn, int cascades = 1) {
    params.SetInt("FilterBp", filtersOn ? 1 : 0);
    params.SetInt("FilterLimiter", filtersOn ? 1 : 0);
    params.SetInt("FilterBpCascade", cascades);
  }
  CMemoryKeyStore store;
  CParams params{store};
};

// Args: sound type, cascades.
void BM_Bandpass(benchmark::State& state) {
  const SoundFormat format = SoundFormat::Of(SoundType{static_cast<uint32_t>(state.range(0))});
  Settings settings(true, static_cast<int>(state.range(1)));
  CFilters filters(settings.params, format);
  const auto frames = SpeechFrames(format.FrameSamples(), format.SampleRate());
  std::vector<int16_t> frame;
  std::size_t f = 0;
  for (auto _ : state) {
    frame = frames[f++ % frames.size()];
    filters.Bandpass(frame);
    benchmark::DoNotOptimize(frame.data());
  }
}
BENCHMARK(BM_Bandpass)->Args({9050, 1})->Args({9050, 20})->Args({9061, 1})->Args({9061, 20});

// One Put and one Get, as the receive and playback threads do per frame.
// Args: sound type, filters on.
void BM_SpoolPutGet(benchmark::State& state) {
  const SoundFormat format = SoundFormat::Of(SoundType{static_cast<uint32_t>(state.range(0))});
  Settings settings(state.range(1) != 0);
  CFilters filters(settings.params, format);
  CSpoolSp spool(settings.params, filters, format);
  spool.SetLimitLevel(40000);
  const auto frames = SpeechFrames(format.FrameSamples(), format.SampleRate());
  std::vector<int16_t> out(format.FrameSamples());
  std::size_t f = 0;
  for (auto _ : state) {
    spool.Put(frames[f++ % frames.size()]);
    benchmark::DoNotOptimize(spool.Get(out));
  }
}
BENCHMARK(BM_SpoolPutGet)->Args({9050, 0})->Args({9050, 1})->Args({9057, 0})->Args({9057, 1});

// Args: sound type, history (1 = speaker tap).
void BM_Tap(benchmark::State& state) {
  const SoundFormat format = SoundFormat::Of(SoundType{static_cast<uint32_t>(state.range(0))});
  CProgress tap(static_cast<int>(state.range(1)), format);
  const auto frames = SpeechFrames(format.FrameSamples(), format.SampleRate());
  std::size_t f = 0;
  for (auto _ : state) tap.Tap(frames[f++ % frames.size()]);
}
BENCHMARK(BM_Tap)->Args({9050, 0})->Args({9050, 1})->Args({9057, 0})->Args({9057, 1});

// Everything one 20 ms frame of Speex 32 kHz costs in both directions:
// capture tap and encode; decode of the peer's packet, Put, Get through
// bandpass and limiter, speaker tap. "pct_of_20ms" is the share of one core.
// Args: quality, complexity; -1 for both leaves the library's defaults.
void BM_FullDuplexSpeex32(benchmark::State& state) {
  const auto quality = static_cast<int32_t>(state.range(0));
  const auto complexity = static_cast<int32_t>(state.range(1));
  const SoundFormat format = SoundFormat::Of(SoundType{9061});
  Settings settings(true);
  CFilters filters(settings.params, format);
  CSpoolSp spool(settings.params, filters, format);
  spool.SetLimitLevel(40000);
  CProgress micTap(0, format), speakerTap(1, format);
  CCodecSet line, peer;
  for (CSpeex* speex : {&line.Speex32(), &peer.Speex32()}) {
    if (quality >= 0) speex->SetQuality(quality);
    if (complexity >= 0) speex->SetComplexity(complexity);
  }
  const auto frames = SpeechFrames(format.FrameSamples(), format.SampleRate());
  std::vector<std::vector<uint8_t>> peerPackets;
  for (const auto& frame : frames) {
    auto& packet = peerPackets.emplace_back(peer.Speex32().MaxEncodedBytes());
    packet.resize(peer.Speex32().Encode(frame, packet));
  }
  std::vector<uint8_t> packet(line.Speex32().MaxEncodedBytes());
  std::vector<int16_t> received(format.FrameSamples()), played(format.FrameSamples());
  std::size_t f = 0;
  for (auto _ : state) {
    const auto& captured = frames[f % frames.size()];
    micTap.Tap(captured);
    benchmark::DoNotOptimize(line.Speex32().Encode(captured, packet));
    line.Speex32().Decode(peerPackets[f % peerPackets.size()], received);
    spool.Put(received);
    spool.Get(played);
    speakerTap.Tap(played);
    benchmark::DoNotOptimize(played.data());
    ++f;
  }
  state.counters["pct_of_20ms"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * 0.0002,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FullDuplexSpeex32)->Args({10, 10})->Args({5, 10})->Args({-1, -1});

}  // namespace
