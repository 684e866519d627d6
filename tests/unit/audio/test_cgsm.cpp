#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "audio/cgsm.h"
#include "testsignals.h"

namespace {

constexpr double kRate = 8000;

std::vector<int16_t> Speechlike(std::size_t frame) {
  // Two tones, so the frames differ and the codec has something to predict.
  auto a = Tone(CGsm::kSamples, 440, kRate, 6000, frame * CGsm::kSamples);
  const auto b = Tone(CGsm::kSamples, 1250, kRate, 3000, frame * CGsm::kSamples);
  for (std::size_t i = 0; i < a.size(); ++i) a[i] = static_cast<int16_t>(a[i] + b[i]);
  return a;
}

TEST(CGsmTest, AFrameWithoutTheMagicDecodesToSilence) {
  CGsm gsm;
  std::array<uint8_t, CGsm::kFrameBytes> frame{};
  for (uint8_t first : {0x00, 0x2F, 0xC0, 0xE0, 0xFF}) {
    frame[0] = first;
    std::vector<int16_t> pcm(CGsm::kSamples, 1234);
    EXPECT_FALSE(gsm.Decode(frame, pcm)) << int{first};
    EXPECT_TRUE(std::all_of(pcm.begin(), pcm.end(), [](int16_t s) { return s == 0; })) << int{first};
  }
}

TEST(CGsmTest, RoundTripKeepsTheSignalAndEveryFrameCarriesTheMagic) {
  CGsm gsm;
  std::vector<int16_t> in, out;
  for (std::size_t f = 0; f < 25; ++f) {
    const auto pcm = Speechlike(f);
    std::array<uint8_t, CGsm::kFrameBytes> bytes{};
    ASSERT_TRUE(gsm.Encode(pcm, bytes));
    EXPECT_EQ(bytes[0] >> 4, 0xD);
    std::vector<int16_t> back(CGsm::kSamples);
    ASSERT_TRUE(gsm.Decode(bytes, back));
    in.insert(in.end(), pcm.begin(), pcm.end());
    out.insert(out.end(), back.begin(), back.end());
  }
  // Leave out the first frames while the predictor settles.
  const std::size_t skip = 5 * CGsm::kSamples;
  EXPECT_GT(BestCorrelation(std::span(in).subspan(skip), std::span(out).subspan(skip), 40), 0.8);
}

// The two directions of a line run at once on two threads; if they shared a
// handle, decoding the peer's stream would disturb the encoder's prediction.
TEST(CGsmTest, EncodingAndDecodingOnOneObjectMatchSeparateObjects) {
  CGsm shared, encodeOnly, decodeOnly;
  std::array<uint8_t, CGsm::kFrameBytes> peer{};
  for (std::size_t f = 0; f < 10; ++f) {
    const auto pcm = Speechlike(f);
    const auto other = Tone(CGsm::kSamples, 300, kRate, 9000, f * CGsm::kSamples);
    CGsm peerEncoder;
    ASSERT_TRUE(peerEncoder.Encode(other, peer));

    std::array<uint8_t, CGsm::kFrameBytes> a{}, b{};
    std::vector<int16_t> da(CGsm::kSamples), db(CGsm::kSamples);
    ASSERT_TRUE(shared.Decode(peer, da));
    ASSERT_TRUE(shared.Encode(pcm, a));
    ASSERT_TRUE(decodeOnly.Decode(peer, db));
    ASSERT_TRUE(encodeOnly.Encode(pcm, b));
    EXPECT_EQ(a, b) << "frame " << f;
    EXPECT_EQ(da, db) << "frame " << f;
  }
}

TEST(CGsmTest, SpansThatAreNotOneFrameAreRefused) {
  CGsm gsm;
  std::vector<int16_t> pcm(CGsm::kSamples);
  std::vector<uint8_t> bytes(CGsm::kFrameBytes + 1, 0xAA);
  EXPECT_FALSE(gsm.Encode(pcm, bytes));
  EXPECT_EQ(bytes[0], 0xAA);
  EXPECT_FALSE(gsm.Encode(std::span(pcm).first(100), std::span(bytes).first(CGsm::kFrameBytes)));
  EXPECT_FALSE(gsm.Decode(std::span(bytes).first(CGsm::kFrameBytes), std::span(pcm).first(100)));
}

}  // namespace
