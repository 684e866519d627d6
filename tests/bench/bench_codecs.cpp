// Per-frame cost of each codec wrapper, next to the bare library calls it
// makes (with the same sample conversion a caller of the float API needs), so
// the wrapper's own overhead can be read off in one run.

#include <benchmark/benchmark.h>
#include <gsm.h>
#include <speex/speex.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "audio/cg711.h"
#include "audio/cgsm.h"
#include "audio/cspeex.h"
#include "benchsignal.h"

namespace {

// ---- GSM

void BM_GsmEncode(benchmark::State& state) {
  const auto frames = SpeechFrames(CGsm::kSamples, 8000);
  CGsm gsm;
  std::array<uint8_t, CGsm::kFrameBytes> out{};
  std::size_t f = 0;
  for (auto _ : state) {
    gsm.Encode(frames[f++ % frames.size()], out);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_GsmEncode);

void BM_GsmEncodeBare(benchmark::State& state) {
  auto frames = SpeechFrames(CGsm::kSamples, 8000);
  gsm handle = gsm_create();
  gsm_frame out{};
  std::size_t f = 0;
  for (auto _ : state) {
    gsm_encode(handle, frames[f++ % frames.size()].data(), out);
    benchmark::DoNotOptimize(out);
  }
  gsm_destroy(handle);
}
BENCHMARK(BM_GsmEncodeBare);

std::vector<std::array<uint8_t, CGsm::kFrameBytes>> GsmPackets() {
  CGsm gsm;
  std::vector<std::array<uint8_t, CGsm::kFrameBytes>> packets;
  for (const auto& frame : SpeechFrames(CGsm::kSamples, 8000)) {
    gsm.Encode(frame, packets.emplace_back());
  }
  return packets;
}

void BM_GsmDecode(benchmark::State& state) {
  const auto packets = GsmPackets();
  CGsm gsm;
  std::vector<int16_t> out(CGsm::kSamples);
  std::size_t f = 0;
  for (auto _ : state) {
    gsm.Decode(packets[f++ % packets.size()], out);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_GsmDecode);

void BM_GsmDecodeBare(benchmark::State& state) {
  auto packets = GsmPackets();
  gsm handle = gsm_create();
  std::vector<gsm_signal> out(CGsm::kSamples);
  std::size_t f = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(gsm_decode(handle, packets[f++ % packets.size()].data(), out.data()));
  }
  gsm_destroy(handle);
}
BENCHMARK(BM_GsmDecodeBare);

// ---- G.711 (the program's own code: nothing to compare with)

void BM_G711Encode(benchmark::State& state) {
  const auto frames = SpeechFrames(CG711::kSamples, 8000);
  CG711 g711;
  std::array<uint8_t, CG711::kSamples> out{};
  std::size_t f = 0;
  for (auto _ : state) {
    g711.Encode(frames[f++ % frames.size()], out);
    benchmark::DoNotOptimize(out);
  }
}
BENCHMARK(BM_G711Encode);

void BM_G711Decode(benchmark::State& state) {
  std::array<uint8_t, CG711::kSamples> in{};
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(i * 37);
  CG711 g711;
  std::vector<int16_t> out(CG711::kSamples);
  for (auto _ : state) {
    g711.Decode(in, out);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_G711Decode);

// ---- Speex: rate in kHz x option set

struct OptionSet {
  const char* name;
  int quality, complexity, vbr, vbrQuality, vad, dtx, enhancer;
};

// -1: left at the library's default (the 16 and 32 kHz instances run so,
// since the stored options go to the 8 kHz instance only).
constexpr int kLibraryDefault = -1;
constexpr std::array<OptionSet, 7> kOptionSets{{
    {"default", kLibraryDefault, kLibraryDefault, 0, 0, 0, 0, 1},
    {"q5c5", 5, 5, 0, 0, 0, 0, 1},  // the settings' defaults
    {"q5c10", 5, 10, 0, 0, 0, 0, 1},
    {"q10c10", 10, 10, 0, 0, 0, 0, 1},
    {"vbr5", 5, 5, 1, 5, 0, 0, 1},
    {"vbr5vaddtx", 5, 5, 1, 5, 1, 1, 1},
    {"q5c5enh0", 5, 5, 0, 0, 0, 0, 0},
}};

const SpeexMode* ModeFor(int rateKhz) {
  return rateKhz == 8 ? &speex_nb_mode : rateKhz == 16 ? &speex_wb_mode : &speex_uwb_mode;
}

void Configure(CSpeex& speex, const OptionSet& o) {
  if (o.quality != kLibraryDefault) speex.SetQuality(o.quality);
  if (o.complexity != kLibraryDefault) speex.SetComplexity(o.complexity);
  speex.SetVbr(o.vbr);
  if (o.vbr != 0) speex.SetVbrQuality(o.vbrQuality);
  speex.SetVad(o.vad);
  speex.SetDtx(o.dtx);
}

void Configure(void* encoder, const OptionSet& o, int rateKhz) {
  spx_int32_t rate = rateKhz * 1000, quality = o.quality, complexity = o.complexity, vbr = o.vbr, vad = o.vad,
              dtx = o.dtx;
  float vbrQuality = static_cast<float>(o.vbrQuality);
  speex_encoder_ctl(encoder, SPEEX_SET_SAMPLING_RATE, &rate);
  if (o.quality != kLibraryDefault) speex_encoder_ctl(encoder, SPEEX_SET_QUALITY, &quality);
  if (o.complexity != kLibraryDefault) speex_encoder_ctl(encoder, SPEEX_SET_COMPLEXITY, &complexity);
  speex_encoder_ctl(encoder, SPEEX_SET_VBR, &vbr);
  if (o.vbr != 0) speex_encoder_ctl(encoder, SPEEX_SET_VBR_QUALITY, &vbrQuality);
  speex_encoder_ctl(encoder, SPEEX_SET_VAD, &vad);
  speex_encoder_ctl(encoder, SPEEX_SET_DTX, &dtx);
}

void BM_SpeexEncode(benchmark::State& state, int rate, const OptionSet& options) {
  CSpeex speex(rate);
  Configure(speex, options);
  const auto frames = SpeechFrames(speex.SamplesPerFrame(), rate * 1000.0);
  std::vector<uint8_t> out(speex.MaxEncodedBytes());
  std::size_t f = 0;
  for (auto _ : state) benchmark::DoNotOptimize(speex.Encode(frames[f++ % frames.size()], out));
}

void BM_SpeexEncodeBare(benchmark::State& state, int rate, const OptionSet& options) {
  void* encoder = speex_encoder_init(ModeFor(rate));
  Configure(encoder, options, rate);
  SpeexBits bits;
  speex_bits_init(&bits);
  const std::size_t n = static_cast<std::size_t>(rate) * 20;
  const auto frames = SpeechFrames(n, rate * 1000.0);
  std::vector<float> in(n);
  std::vector<char> out(2 * n);
  std::size_t f = 0;
  for (auto _ : state) {
    const auto& frame = frames[f++ % frames.size()];
    std::copy(frame.begin(), frame.end(), in.begin());
    speex_bits_reset(&bits);
    speex_encode(encoder, in.data(), &bits);
    benchmark::DoNotOptimize(speex_bits_write(&bits, out.data(), static_cast<int>(out.size())));
  }
  speex_bits_destroy(&bits);
  speex_encoder_destroy(encoder);
}

std::vector<std::vector<uint8_t>> SpeexPackets(int rate, const OptionSet& options) {
  CSpeex speex(rate);
  Configure(speex, options);
  std::vector<std::vector<uint8_t>> packets;
  for (const auto& frame : SpeechFrames(speex.SamplesPerFrame(), rate * 1000.0)) {
    auto& packet = packets.emplace_back(speex.MaxEncodedBytes());
    packet.resize(speex.Encode(frame, packet));
  }
  return packets;
}

void BM_SpeexDecode(benchmark::State& state, int rate, const OptionSet& options) {
  const auto packets = SpeexPackets(rate, options);
  CSpeex speex(rate);
  speex.SetEnhancer(options.enhancer);
  std::vector<int16_t> out(speex.SamplesPerFrame());
  std::size_t f = 0;
  for (auto _ : state) benchmark::DoNotOptimize(speex.Decode(packets[f++ % packets.size()], out));
}

void BM_SpeexDecodeBare(benchmark::State& state, int rate, const OptionSet& options) {
  const auto packets = SpeexPackets(rate, options);
  void* decoder = speex_decoder_init(ModeFor(rate));
  spx_int32_t sampling = rate * 1000, enhancer = options.enhancer;
  speex_decoder_ctl(decoder, SPEEX_SET_SAMPLING_RATE, &sampling);
  speex_decoder_ctl(decoder, SPEEX_SET_ENH, &enhancer);
  SpeexBits bits;
  speex_bits_init(&bits);
  const std::size_t n = static_cast<std::size_t>(rate) * 20;
  std::vector<float> decoded(n);
  std::vector<int16_t> out(n);
  std::size_t f = 0;
  for (auto _ : state) {
    const auto& packet = packets[f++ % packets.size()];
    speex_bits_read_from(&bits, reinterpret_cast<const char*>(packet.data()),
                         static_cast<int>(packet.size()));
    speex_decode(decoder, &bits, decoded.data());
    for (std::size_t i = 0; i < n; ++i)
      out[i] = static_cast<int16_t>(std::clamp(decoded[i], -32768.0f, 32767.0f));
    benchmark::DoNotOptimize(out.data());
  }
  speex_bits_destroy(&bits);
  speex_decoder_destroy(decoder);
}

// Each wrapper runs right next to its bare twin, so both see the same
// machine load.
const bool kSpeexRegistered = [] {
  for (int rate : {8, 16, 32}) {
    for (const OptionSet& o : kOptionSets) {
      const std::string suffix = "/" + std::to_string(rate) + "kHz/" + o.name;
      benchmark::RegisterBenchmark(("BM_SpeexEncode" + suffix).c_str(), BM_SpeexEncode, rate, o);
      benchmark::RegisterBenchmark(("BM_SpeexEncodeBare" + suffix).c_str(), BM_SpeexEncodeBare, rate, o);
      benchmark::RegisterBenchmark(("BM_SpeexDecode" + suffix).c_str(), BM_SpeexDecode, rate, o);
      benchmark::RegisterBenchmark(("BM_SpeexDecodeBare" + suffix).c_str(), BM_SpeexDecodeBare, rate, o);
    }
  }
  return true;
}();

}  // namespace
