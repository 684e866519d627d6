#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <vector>

#include "audio/cg711.h"

namespace {

// The standard's mu-law expansion of every code, taken from an independent
// implementation, not from the program's own table.
constexpr std::array<int16_t, 256> kReference{
    -32124, -31100, -30076, -29052, -28028, -27004, -25980, -24956, -23932, -22908, -21884, -20860, -19836,
    -18812, -17788, -16764, -15996, -15484, -14972, -14460, -13948, -13436, -12924, -12412, -11900, -11388,
    -10876, -10364, -9852,  -9340,  -8828,  -8316,  -7932,  -7676,  -7420,  -7164,  -6908,  -6652,  -6396,
    -6140,  -5884,  -5628,  -5372,  -5116,  -4860,  -4604,  -4348,  -4092,  -3900,  -3772,  -3644,  -3516,
    -3388,  -3260,  -3132,  -3004,  -2876,  -2748,  -2620,  -2492,  -2364,  -2236,  -2108,  -1980,  -1884,
    -1820,  -1756,  -1692,  -1628,  -1564,  -1500,  -1436,  -1372,  -1308,  -1244,  -1180,  -1116,  -1052,
    -988,   -924,   -876,   -844,   -812,   -780,   -748,   -716,   -684,   -652,   -620,   -588,   -556,
    -524,   -492,   -460,   -428,   -396,   -372,   -356,   -340,   -324,   -308,   -292,   -276,   -260,
    -244,   -228,   -212,   -196,   -180,   -164,   -148,   -132,   -120,   -112,   -104,   -96,    -88,
    -80,    -72,    -64,    -56,    -48,    -40,    -32,    -24,    -16,    -8,     0,      32124,  31100,
    30076,  29052,  28028,  27004,  25980,  24956,  23932,  22908,  21884,  20860,  19836,  18812,  17788,
    16764,  15996,  15484,  14972,  14460,  13948,  13436,  12924,  12412,  11900,  11388,  10876,  10364,
    9852,   9340,   8828,   8316,   7932,   7676,   7420,   7164,   6908,   6652,   6396,   6140,   5884,
    5628,   5372,   5116,   4860,   4604,   4348,   4092,   3900,   3772,   3644,   3516,   3388,   3260,
    3132,   3004,   2876,   2748,   2620,   2492,   2364,   2236,   2108,   1980,   1884,   1820,   1756,
    1692,   1628,   1564,   1500,   1436,   1372,   1308,   1244,   1180,   1116,   1052,   988,    924,
    876,    844,    812,    780,    748,    716,    684,    652,    620,    588,    556,    524,    492,
    460,    428,    396,    372,    356,    340,    324,    308,    292,    276,    260,    244,    228,
    212,    196,    180,    164,    148,    132,    120,    112,    104,    96,     88,     80,     72,
    64,     56,     48,     40,     32,     24,     16,     8,      0,
};

TEST(CG711Test, EveryCodeDecodesToTheStandardValue) {
  for (int code = 0; code < 256; ++code) {
    EXPECT_EQ(CG711::DecodeSample(static_cast<uint8_t>(code)), kReference[static_cast<std::size_t>(code)])
        << "code " << code;
  }
}

TEST(CG711Test, EncoderEdgeValues) {
  struct Case {
    int16_t sample;
    uint8_t code;
  };
  const Case cases[] = {
      {0, 0xFF},     {32767, 0x80}, {-32768, 0x00},
      {-1, 0x7F},    {32635, 0x80},  // biased to 0x7FFF exactly: still the last segment's top step
      {32636, 0x80},                 // beyond every segment: the loudest code without clipping first
      {123, 0xF0},                   // 255 biased: top of segment 0
      {124, 0xEF},                   // 256 biased: bottom of segment 1
  };
  for (const Case& c : cases) EXPECT_EQ(CG711::EncodeSample(c.sample), c.code) << c.sample;
}

TEST(CG711Test, EncodingADecodedValueGivesItsCodeBack) {
  for (int code = 0; code < 256; ++code) {
    if (code == 0x7F) continue;  // negative zero: decodes to 0, which encodes as 0xFF
    const auto byte = static_cast<uint8_t>(code);
    EXPECT_EQ(CG711::EncodeSample(CG711::DecodeSample(byte)), byte) << "code " << code;
  }
}

// The law is a mid-point quantiser: every input decodes to the centre of its
// step, so the error is at most half a step of the chosen segment and the sign
// survives. Checked over all 65536 inputs, except the top end, which no
// segment covers and which saturates at 32124.
TEST(CG711Test, EveryInputLandsWithinHalfAStepOfItself) {
  for (int32_t x = -32768; x <= 32767; ++x) {
    const uint8_t code = CG711::EncodeSample(static_cast<int16_t>(x));
    const int32_t y = CG711::DecodeSample(code);
    if (std::abs(x) + 0x84 > 0x7FFF) {
      ASSERT_EQ(std::abs(y), 32124) << x;
      continue;
    }
    const int segment = (static_cast<uint8_t>(~code) >> 4) & 7;
    ASSERT_LE(std::abs(y - x), 4 << segment) << x;
    ASSERT_TRUE(x == 0 || y == 0 || (x < 0) == (y < 0)) << x;
  }
}

TEST(CG711Test, FramesOfOneHundredSixtySamples) {
  CG711 g711;
  std::vector<int16_t> pcm(160), back(160, 1);
  for (std::size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<int16_t>(i * 400 - 32000);
  std::vector<uint8_t> bytes(160);
  ASSERT_TRUE(g711.Encode(pcm, bytes));
  ASSERT_TRUE(g711.Decode(bytes, back));
  for (std::size_t i = 0; i < pcm.size(); ++i) {
    EXPECT_EQ(bytes[i], CG711::EncodeSample(pcm[i]));
    EXPECT_EQ(back[i], CG711::DecodeSample(bytes[i]));
  }
  std::vector<uint8_t> shortBytes(159, 0xAA);
  EXPECT_FALSE(g711.Encode(pcm, shortBytes));
  EXPECT_FALSE(g711.Decode(bytes, std::span<int16_t>(back).first(100)));
  EXPECT_EQ(shortBytes[0], 0xAA);
}

}  // namespace
