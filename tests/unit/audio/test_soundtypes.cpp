#include <gtest/gtest.h>

#include <string>

#include "audio/soundtypes.h"
#include "core/codes.h"

namespace {

struct Row {
  uint32_t code;
  const char* name;
  int32_t rate;
  int32_t channels;
  int32_t factor;
  int32_t frameBytes;
};

// Written out again by hand, so a slip in the program's table shows here.
const Row kRows[] = {
    {9050, "GSM 8 kHz mono", 8000, 1, 4, 320},         {9051, "PCM 8 kHz mono", 8000, 1, 4, 320},
    {9052, "PCM 8 kHz stereo", 8000, 2, 16, 320},      {9053, "PCM 16 kHz mono", 16000, 1, 4, 640},
    {9054, "PCM 16 kHz stereo", 16000, 2, 16, 640},    {9055, "PCM 22 kHz mono", 22050, 1, 16, 320},
    {9056, "PCM 22 kHz stereo", 22050, 2, 256, 640},   {9057, "PCM 44 kHz stereo", 44100, 2, 256, 1280},
    {9058, "Speex 8 kHz mono", 8000, 1, 4, 320},       {9059, "Speex 16 kHz mono", 16000, 1, 4, 640},
    {9060, "Speex 16 kHz stereo", 16000, 2, 16, 640},  {9061, "Speex 32 kHz mono", 32000, 1, 4, 1280},
    {9062, "Speex 32 kHz stereo", 32000, 2, 16, 1280}, {9063, "PCM 11kHz mono", 11025, 1, 4, 320},
    {9064, "G711 uLaw 8kHz", 8000, 1, 4, 320},
};

class SoundTypeRowTest : public ::testing::TestWithParam<Row> {};

TEST_P(SoundTypeRowTest, AFormatCarriesEveryDerivedValue) {
  const Row& row = GetParam();
  const SoundFormat f = SoundFormat::Of(*SoundTypeOf(row.code));
  ASSERT_TRUE(f.IsValid());
  EXPECT_EQ(WireCode(f.Type()), row.code);
  EXPECT_EQ(f.SampleRate(), row.rate);
  EXPECT_EQ(f.Channels(), row.channels);
  EXPECT_EQ(f.BitsPerSample(), 16);
  EXPECT_EQ(f.BufferFactor(), row.factor);
  EXPECT_EQ(f.FrameBytes(), row.frameBytes);
  EXPECT_EQ(f.FrameSamples(), static_cast<std::size_t>(row.frameBytes / 2));
  EXPECT_EQ(f.CaptureBufferCount(), 4 * row.factor);
  EXPECT_EQ(f.PlaybackBufferCount(), row.factor);
  EXPECT_EQ(f.PlaybackBufferBytes(), 2 * row.frameBytes);
  EXPECT_EQ(f.SpeakerHistoryFrames(), 2 * row.factor);
  EXPECT_STREQ(SoundTypeName(*SoundTypeOf(row.code)), row.name);
}

INSTANTIATE_TEST_SUITE_P(AllTypes, SoundTypeRowTest, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::to_string(info.param.code); });

TEST(SoundTypesTest, StereoFramesKeepTheByteSizeAndHalveTheDuration) {
  const SoundFormat wide = SoundFormat::Of(SoundType{9060});
  // 640 bytes of interleaved pairs: 160 samples a channel, 10 ms, although
  // the wide-band codec frame is 320 samples.
  EXPECT_EQ(wide.FrameBytes() / 2 / wide.Channels(), 160);
  EXPECT_EQ(1000 * wide.FrameBytes() / 2 / wide.Channels() / wide.SampleRate(), 10);

  const SoundFormat cd = SoundFormat::Of(SoundType{9057});
  EXPECT_EQ(cd.CaptureBufferCount(), 1024);
  EXPECT_EQ(cd.PlaybackBufferCount(), 256);
  EXPECT_EQ(cd.PlaybackBufferBytes(), 2560);
  EXPECT_EQ(cd.SpeakerHistoryFrames(), 512);
}

TEST(SoundTypesTest, ANumberThatNamesNoSoundTypeIsNone) {
  const SoundFormat none;
  EXPECT_FALSE(none.IsValid());
  EXPECT_EQ(none.SampleRate(), 0);
  EXPECT_EQ(none.FrameBytes(), 0);
  EXPECT_EQ(none.BitsPerSample(), 0);
  for (int64_t bad :
       {int64_t{0}, int64_t{-9050}, int64_t{9049}, int64_t{9065}, int64_t{9099}, int64_t{0x100002362}}) {
    EXPECT_FALSE(SoundTypeOf(bad)) << bad;
  }
  for (uint32_t c = code::kSoundFirst; c <= code::kSoundLast; ++c) {
    ASSERT_TRUE(SoundTypeOf(c));
    EXPECT_EQ(WireCode(*SoundTypeOf(c)), c);
  }
}

TEST(SoundTypesTest, TheDialogListHasItsOwnOrderBothWays) {
  const uint32_t expected[] = {9050, 9064, 9051, 9052, 9063, 9053, 9054, 9055,
                               9056, 9057, 9058, 9059, 9060, 9061, 9062};
  for (int index = 0; index < 15; ++index) {
    EXPECT_EQ(SoundTypeFromListIndex(index), SoundTypeOf(expected[index])) << index;
    EXPECT_EQ(SoundTypeToListIndex(*SoundTypeOf(expected[index])), index);
  }
  EXPECT_STREQ(SoundTypeName(*SoundTypeFromListIndex(4)), "PCM 11kHz mono");
  EXPECT_STREQ(SoundTypeName(*SoundTypeFromListIndex(1)), "G711 uLaw 8kHz");
  EXPECT_FALSE(SoundTypeFromListIndex(-1));
  EXPECT_FALSE(SoundTypeFromListIndex(15));
}

TEST(SoundTypesTest, EveryTypeNamesItsCodec) {
  for (uint32_t c = code::kSoundFirst; c <= code::kSoundLast; ++c) {
    const SoundTypeInfo* row = &FindSoundType(*SoundTypeOf(c));
    EXPECT_EQ(WireCode(row->type), c);
    const SoundCodec expected = c == code::kSoundGsm     ? SoundCodec::kGsm
                                : c == code::kSoundG711  ? SoundCodec::kG711
                                : c == 9058              ? SoundCodec::kSpeex8
                                : c == 9059 || c == 9060 ? SoundCodec::kSpeex16
                                : c == 9061 || c == 9062 ? SoundCodec::kSpeex32
                                                         : SoundCodec::kPcm;
    EXPECT_EQ(row->codec, expected) << c;
  }
}

}  // namespace
