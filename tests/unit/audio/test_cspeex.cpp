#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <numeric>
#include <thread>
#include <vector>

#include "audio/ccodecset.h"
#include "audio/cspeex.h"
#include "audio/soundtypes.h"
#include "core/codes.h"
#include "testsignals.h"

namespace {

struct Band {
  int rateKhz;
  std::size_t samples;
};

// Encodes `frames` consecutive frames of a tone and decodes each packet at
// once, as the two ends of a call do; returns input and output joined.
struct RoundTrip {
  std::vector<int16_t> in, out;
  std::vector<std::size_t> packetBytes;
};

RoundTrip EncodeDecode(CSpeex& encoder, CSpeex& decoder, std::size_t frames, double frequency,
                       double amplitude, std::size_t startFrame = 0) {
  RoundTrip trip;
  const std::size_t n = encoder.SamplesPerFrame();
  const double rate = 1000.0 * static_cast<double>(n) / 20.0;
  std::vector<uint8_t> packet(encoder.MaxEncodedBytes());
  std::vector<int16_t> back(n);
  for (std::size_t f = startFrame; f < startFrame + frames; ++f) {
    const auto pcm = Tone(n, frequency, rate, amplitude, f * n);
    const std::size_t bytes = encoder.Encode(pcm, packet);
    trip.packetBytes.push_back(bytes);
    EXPECT_GT(bytes, 0u);
    EXPECT_TRUE(decoder.Decode(std::span(packet).first(bytes), back));
    trip.in.insert(trip.in.end(), pcm.begin(), pcm.end());
    trip.out.insert(trip.out.end(), back.begin(), back.end());
  }
  return trip;
}

double MeanBytes(const RoundTrip& trip, std::size_t skip) {
  const auto begin = trip.packetBytes.begin() + static_cast<std::ptrdiff_t>(skip);
  return std::accumulate(begin, trip.packetBytes.end(), 0.0) /
         static_cast<double>(trip.packetBytes.end() - begin);
}

class CSpeexBandTest : public ::testing::TestWithParam<Band> {};

TEST_P(CSpeexBandTest, RoundTripReproducesATone) {
  const Band band = GetParam();
  CSpeex encoder(band.rateKhz), decoder(band.rateKhz);
  ASSERT_TRUE(encoder.IsReady());
  EXPECT_EQ(encoder.SamplesPerFrame(), band.samples);
  EXPECT_EQ(encoder.PcmFrameBytes(), 2 * band.samples);
  EXPECT_EQ(encoder.MaxEncodedBytes(), 2 * band.samples);
  const auto trip = EncodeDecode(encoder, decoder, 30, 500, 8000);
  const std::size_t skip = 5 * band.samples;  // past the codec's start-up
  // The codec delays its output by a few milliseconds.
  EXPECT_GT(
      BestCorrelation(std::span(trip.in).subspan(skip), std::span(trip.out).subspan(skip), band.samples),
      0.9);
}

INSTANTIATE_TEST_SUITE_P(Rates, CSpeexBandTest, ::testing::Values(Band{8, 160}, Band{16, 320}, Band{32, 640}),
                         [](const auto& info) { return std::to_string(info.param.rateKhz) + "kHz"; });

// 9060 and 9062 hand their interleaved frame to the mono codec of their rate:
// the frame bytes of the sound type are the codec's PCM frame bytes.
TEST(CSpeexTest, StereoTypesTravelAsMonoFramesOfTheSameSize) {
  CCodecSet set;
  for (uint32_t type = code::kSpeexFirst; type <= code::kSpeexLast; ++type) {
    CSpeex* speex = set.SpeexFor(SoundType{type});
    ASSERT_NE(speex, nullptr) << type;
    EXPECT_EQ(speex->PcmFrameBytes(), static_cast<std::size_t>(SoundFormat::Of(SoundType{type}).FrameBytes()))
        << type;
  }
  EXPECT_EQ(set.SpeexFor(SoundType{9059}), set.SpeexFor(SoundType{9060}));
  EXPECT_EQ(set.SpeexFor(SoundType{9061}), set.SpeexFor(SoundType{9062}));
  EXPECT_EQ(set.SpeexFor(SoundType{9058}), &set.Speex8());
  EXPECT_EQ(set.SpeexFor(SoundType{code::kSoundGsm}), nullptr);
  EXPECT_EQ(set.SpeexFor(SoundType{code::kSoundG711}), nullptr);

  // 160 left/right pairs of a low tone, the same on both sides: a 640-byte
  // frame that comes back 640 bytes long with both channels in place.
  const SoundFormat format = SoundFormat::Of(SoundType{9060});
  CCodecSet far;
  std::vector<int16_t> in, left;
  std::vector<int16_t> out;
  std::vector<uint8_t> packet(set.Speex16().MaxEncodedBytes());
  for (std::size_t f = 0; f < 30; ++f) {
    const auto mono = Tone(160, 200, 16000, 8000, f * 160);
    std::vector<int16_t> frame(format.FrameSamples());
    for (std::size_t i = 0; i < mono.size(); ++i) frame[2 * i] = frame[2 * i + 1] = mono[i];
    const std::size_t bytes = set.SpeexFor(SoundType{9060})->Encode(frame, packet);
    ASSERT_GT(bytes, 0u);
    std::vector<int16_t> back(frame.size());
    ASSERT_TRUE(far.SpeexFor(SoundType{9060})->Decode(std::span(packet).first(bytes), back));
    left.insert(left.end(), mono.begin(), mono.end());
    out.insert(out.end(), back.begin(), back.end());
  }
  std::vector<int16_t> outLeft, outRight;
  for (std::size_t i = 0; i + 1 < out.size(); i += 2) {
    outLeft.push_back(out[i]);
    outRight.push_back(out[i + 1]);
  }
  const std::size_t skip = 5 * 160;
  EXPECT_GT(BestCorrelation(std::span(left).subspan(skip), std::span(outLeft).subspan(skip), 160), 0.9);
  EXPECT_GT(BestCorrelation(std::span(left).subspan(skip), std::span(outRight).subspan(skip), 160), 0.9);
}

// A line's codec is never reset between calls: the second call's packets
// continue the first call's encoder state, where a new encoder would start
// afresh and repeat the first call's bytes.
TEST(CSpeexTest, ALineKeepsItsEncoderStateFromOneCallToTheNext) {
  CCodecSet line;
  std::vector<std::vector<uint8_t>> firstCall, secondCall;
  auto call = [&](CSpeex& speex, std::vector<std::vector<uint8_t>>& packets) {
    std::vector<uint8_t> packet(speex.MaxEncodedBytes());
    for (std::size_t f = 0; f < 5; ++f) {
      const auto pcm = Tone(160, 700, 8000, 9000, f * 160);
      packet.resize(speex.Encode(pcm, packet));
      packets.push_back(packet);
      packet.resize(speex.MaxEncodedBytes());
    }
  };
  call(line.Speex8(), firstCall);
  call(line.Speex8(), secondCall);
  EXPECT_NE(firstCall, secondCall);

  CSpeex fresh(8);
  std::vector<std::vector<uint8_t>> freshCall;
  call(fresh, freshCall);
  EXPECT_EQ(freshCall, firstCall);
}

TEST(CSpeexTest, EachOptionReachesTheLibrary) {
  // The mean packet size over a steady tone shows quality, VBR quality and
  // VBR; silence shows VAD with DTX.
  auto meanBytes = [](auto configure, double amplitude) {
    CSpeex encoder(8), decoder(8);
    configure(encoder);
    return MeanBytes(EncodeDecode(encoder, decoder, 20, 600, amplitude), 5);
  };
  const double q1 = meanBytes([](CSpeex& s) { s.SetQuality(1); }, 8000);
  const double q10 = meanBytes([](CSpeex& s) { s.SetQuality(10); }, 8000);
  EXPECT_LT(q1, q10);

  const double vbrLow = meanBytes(
      [](CSpeex& s) {
        s.SetVbr(1);
        s.SetVbrQuality(1);
      },
      8000);
  const double vbrHigh = meanBytes(
      [](CSpeex& s) {
        s.SetVbr(1);
        s.SetVbrQuality(10);
      },
      8000);
  EXPECT_LT(vbrLow, vbrHigh);

  CSpeex silentEncoder(8);
  silentEncoder.SetVad(1);
  silentEncoder.SetDtx(1);
  silentEncoder.SetVbr(1);
  CSpeex plainEncoder(8);
  std::vector<int16_t> silence(160, 0);
  std::vector<uint8_t> packet(320);
  std::size_t dtxBytes = 0, plainBytes = 0;
  for (int f = 0; f < 20; ++f) {
    dtxBytes = silentEncoder.Encode(silence, packet);
    plainBytes = plainEncoder.Encode(silence, packet);
  }
  EXPECT_LT(dtxBytes, plainBytes);

  // Complexity changes the search, so the packets, not their size.
  CSpeex simple(8), thorough(8), d1(8), d2(8);
  simple.SetComplexity(1);
  thorough.SetComplexity(10);
  EXPECT_NE(EncodeDecode(simple, d1, 5, 600, 8000).out, EncodeDecode(thorough, d2, 5, 600, 8000).out);

  // The perceptual enhancer works on the decoder side.
  CSpeex e1(8), e2(8), plain(8), enhanced(8);
  plain.SetEnhancer(0);
  enhanced.SetEnhancer(1);
  EXPECT_NE(EncodeDecode(e1, plain, 5, 600, 8000).out, EncodeDecode(e2, enhanced, 5, 600, 8000).out);
}

TEST(CSpeexTest, OptionsOutOfRangeActAsTheEndOfTheRange) {
  CSpeex clamped(8), top(8), d1(8), d2(8);
  clamped.SetQuality(99);
  clamped.SetComplexity(1000000);
  top.SetQuality(10);
  top.SetComplexity(10);
  EXPECT_EQ(EncodeDecode(clamped, d1, 5, 600, 8000).out, EncodeDecode(top, d2, 5, 600, 8000).out);
}

TEST(CSpeexTest, PacketsTheLibraryCannotUseGiveSilence) {
  CSpeex speex(16);
  std::vector<int16_t> pcm(speex.SamplesPerFrame(), 77);
  EXPECT_FALSE(speex.Decode({}, pcm));
  EXPECT_TRUE(std::all_of(pcm.begin(), pcm.end(), [](int16_t s) { return s == 0; }));

  // Longer than any packet of this rate: only the first bytes are read, and
  // the call stays within the caller's span (ASan watches).
  std::vector<uint8_t> big(4087, 0x5A);
  speex.Decode(big, pcm);
  std::vector<int16_t> wrongSize(10);
  EXPECT_FALSE(speex.Decode(big, wrongSize));
  EXPECT_EQ(speex.Encode(wrongSize, big), 0u);
}

TEST(CSpeexTest, AnUnknownRateMakesAnObjectThatEncodesNothing) {
  CSpeex speex(12);
  EXPECT_FALSE(speex.IsReady());
  EXPECT_EQ(speex.SamplesPerFrame(), 0u);
  std::vector<uint8_t> packet(100, 1);
  EXPECT_EQ(speex.Encode({}, packet), 0u);
  EXPECT_FALSE(speex.Decode(packet, {}));
  speex.SetQuality(5);  // no library state to reach: must not crash
}

// The main thread sets options while the capture thread encodes and the
// receive thread decodes. Run under ThreadSanitizer this shows that the
// setters never touch library state from the main thread.
TEST(CSpeexTest, SettersRaceWithEncodingAndDecodingSafely) {
  CSpeex line(8), peer(8);
  std::atomic<bool> stop{false};
  std::thread capture([&] {
    std::vector<uint8_t> packet(line.MaxEncodedBytes());
    for (std::size_t f = 0; !stop.load(); ++f) line.Encode(Tone(160, 440, 8000, 5000, f * 160), packet);
  });
  std::thread receive([&] {
    std::vector<uint8_t> packet(peer.MaxEncodedBytes());
    std::vector<int16_t> pcm(160);
    for (std::size_t f = 0; !stop.load(); ++f) {
      const std::size_t bytes = peer.Encode(Tone(160, 440, 8000, 5000, f * 160), packet);
      line.Decode(std::span(packet).first(bytes), pcm);
    }
  });
  for (int i = 0; i < 200; ++i) {
    line.SetQuality(i % 11);
    line.SetComplexity(i % 10 + 1);
    line.SetVbrQuality(i % 11);
    line.SetVbr(i & 1);
    line.SetVad(i & 2);
    line.SetDtx(i & 4);
    line.SetEnhancer(i & 1);
    std::this_thread::yield();
  }
  stop = true;
  capture.join();
  receive.join();
}

}  // namespace
