#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "audio/cfilters.h"
#include "audio/cpeakingfilter.h"
#include "audio/soundtypes.h"
#include "fakes/cmemorykeystore.h"
#include "settings/cparams.h"
#include "testsignals.h"

namespace {

class CFiltersTest : public ::testing::Test {
 protected:
  SoundFormat format = SoundFormat::Of(SoundType{9050});

  std::string Stored(const char* name) {
    std::string text;
    params.GetString(name, text);
    return text;
  }

  CMemoryKeyStore store;
  CParams params{store};
};

TEST_F(CFiltersTest, AbsentSettingsGiveTheDefaultsAndAreWrittenBack) {
  CFilters filters(params, format);
  const CFilters::Settings& s = filters.Loaded();
  EXPECT_FALSE(s.bandpassOn);
  EXPECT_FALSE(s.limiterOn);
  EXPECT_FLOAT_EQ(s.frequency, 1500.0f);
  EXPECT_FLOAT_EQ(s.gain, -4.0f);
  EXPECT_FLOAT_EQ(s.q, 0.9f);
  EXPECT_FLOAT_EQ(s.bandpass.Scale(), 1.0f);
  EXPECT_EQ(s.bandpass.Cascades(), 1);
  EXPECT_EQ(s.channels, 1);
  EXPECT_EQ(s.frameBytes, 320);
  EXPECT_EQ(Stored("FilterBpFreq"), "1500");
  EXPECT_EQ(Stored("FilterBpGain"), "-4");
  EXPECT_EQ(Stored("FilterBpQ"), "90");
  EXPECT_EQ(Stored("FilterBpScale"), "10");
  EXPECT_EQ(Stored("FilterBpCascade"), "1");
  EXPECT_EQ(Stored("FilterBp"), "0");
  EXPECT_EQ(Stored("FilterLimiter"), "");  // off, nothing written back
}

struct StoredCase {
  const char* name;
  int32_t stored;
  float frequency, gain, q, scale;
  int32_t cascades;
  const char* writtenBack;  // nullptr: the stored value stays
};

class CFiltersStoredTest : public CFiltersTest, public ::testing::WithParamInterface<StoredCase> {};

TEST_P(CFiltersStoredTest, StoredValuesAreUsedOrReplaced) {
  const StoredCase& c = GetParam();
  params.SetInt(c.name, c.stored);
  CFilters filters(params, format);
  const CFilters::Settings& s = filters.Loaded();
  EXPECT_FLOAT_EQ(s.frequency, c.frequency);
  EXPECT_FLOAT_EQ(s.gain, c.gain);
  EXPECT_FLOAT_EQ(s.q, c.q);
  EXPECT_FLOAT_EQ(s.bandpass.Scale(), c.scale);
  EXPECT_EQ(s.bandpass.Cascades(), c.cascades);
  EXPECT_EQ(Stored(c.name), c.writtenBack ? c.writtenBack : std::to_string(c.stored));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, CFiltersStoredTest,
    ::testing::Values(StoredCase{"FilterBpFreq", 900, 900, -4, 0.9f, 1, 1, nullptr},
                      StoredCase{"FilterBpFreq", -20, 1500, -4, 0.9f, 1, 1, "1500"},
                      StoredCase{"FilterBpFreq", 0, 1500, -4, 0.9f, 1, 1, "1500"},
                      StoredCase{"FilterBpGain", 6, 1500, 6, 0.9f, 1, 1, nullptr},
                      StoredCase{"FilterBpGain", 0, 1500, 0, 0.9f, 1, 1, nullptr},
                      StoredCase{"FilterBpGain", -15, 1500, -15, 0.9f, 1, 1, nullptr},
                      StoredCase{"FilterBpGain", 40, 1500, 15, 0.9f, 1, 1, nullptr},
                      StoredCase{"FilterBpQ", 250, 1500, -4, 2.5f, 1, 1, nullptr},
                      StoredCase{"FilterBpQ", -3, 1500, -4, 0.9f, 1, 1, "90"},
                      StoredCase{"FilterBpQ", 0, 1500, -4, 0.9f, 1, 1, "90"},
                      StoredCase{"FilterBpScale", 25, 1500, -4, 0.9f, 2.5f, 1, nullptr},
                      StoredCase{"FilterBpScale", 0, 1500, -4, 0.9f, 1, 1, "10"},
                      StoredCase{"FilterBpCascade", 7, 1500, -4, 0.9f, 1, 7, nullptr},
                      StoredCase{"FilterBpCascade", 500, 1500, -4, 0.9f, 1, 20, nullptr},
                      StoredCase{"FilterBpCascade", 0, 1500, -4, 0.9f, 1, 0, nullptr},
                      StoredCase{"FilterBpCascade", -2, 1500, -4, 0.9f, 1, 1, "1"}),
    [](const auto& info) { return std::string(info.param.name) + "_" + std::to_string(info.index); });

// Files written before 0 dB and 0 cascades could be chosen hold, for a gain
// or cascades never chosen, an empty value or none; a hand-edited one may
// hold a word. Those take the defaults as they always did.
TEST_F(CFiltersTest, OnlyAZeroWrittenAsANumberIsAChosenZero) {
  struct Case {
    const char* text;
    float gain;
    int32_t cascades;
    const char* writtenBackGain;
    const char* writtenBackCascades;
  };
  const Case cases[] = {
      {"", -4, 1, "-4", "1"},
      {"none", -4, 1, "-4", "1"},
      {"0", 0, 0, "0", "0"},
      {"-0", 0, 0, "-0", "-0"},
      {"3 dB", 3, 3, "3 dB", "3 dB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    params.SetString("FilterBpGain", c.text);
    params.SetString("FilterBpCascade", c.text);
    CFilters filters(params, format);
    EXPECT_FLOAT_EQ(filters.Loaded().gain, c.gain);
    EXPECT_EQ(filters.Loaded().bandpass.Cascades(), c.cascades);
    EXPECT_EQ(Stored("FilterBpGain"), c.writtenBackGain);
    EXPECT_EQ(Stored("FilterBpCascade"), c.writtenBackCascades);
  }
}

TEST_F(CFiltersTest, ZeroDecibelsDesignsAFlatFilterAndNoCascadesLeaveTheFrameAlone) {
  params.SetInt("FilterBp", 1);
  params.SetInt("FilterBpGain", 0);
  params.SetInt("FilterBpScale", 25);
  CFilters flat(params, format);
  const auto& c = flat.Loaded().bandpass.GetCoefficients();
  EXPECT_EQ(c.b0, 1.0f);
  EXPECT_EQ(c.b1, c.a1);
  EXPECT_EQ(c.b2, c.a2);

  params.SetInt("FilterBpCascade", 0);
  flat.LoadFilterSettings();
  auto frame = Tone(160, 1400, 8000, 10000);
  const auto before = frame;
  flat.Bandpass(frame);
  EXPECT_EQ(frame, before);  // not even scaled
}

TEST_F(CFiltersTest, ACentreAboveHalfTheRateIsTakenAsHalfTheRate) {
  params.SetInt("FilterBpFreq", 5000);
  CFilters filters(params, format);
  const auto at4000 = CPeakingFilter::Design(8000, 4000, -4, 0.9f);
  const auto& c = filters.Loaded().bandpass.GetCoefficients();
  EXPECT_EQ(c.b0, at4000.b0);
  EXPECT_EQ(c.b1, at4000.b1);
  EXPECT_EQ(c.b2, at4000.b2);
  EXPECT_EQ(c.a1, at4000.a1);
  EXPECT_EQ(c.a2, at4000.a2);
  EXPECT_NE(c.a1, CPeakingFilter::Design(8000, 3900, -4, 0.9f).a1);
}

// With G = 0 numerator and denominator are the same, so from a silent history
// the section passes audio unchanged but for the scale and the truncation of
// the intermediate and the output to samples.
TEST(CPeakingFilterTest, ZeroGainPassesAudioButForScaleAndTruncation) {
  const auto c = CPeakingFilter::Design(8000, 1500, 0, 0.9f);
  EXPECT_EQ(c.b0, 1.0f);
  EXPECT_EQ(c.b1, c.a1);
  EXPECT_EQ(c.b2, c.a2);
  auto in = Tone(320, 700, 8000, 12000);
  const auto noise = Tone(320, 3100, 8000, 3000);
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<int16_t>(in[i] + noise[i]);
  for (float scale : {1.0f, 0.5f, 2.5f}) {
    auto out = in;
    CPeakingFilter(c, scale, 1).Run(out);
    for (std::size_t i = 0; i < in.size(); ++i) {
      const float expected = std::clamp(std::trunc(static_cast<float>(in[i]) * scale), -32768.0f, 32767.0f);
      ASSERT_NEAR(out[i], expected, 1.0) << "scale " << scale << " sample " << i;
    }
  }
}

TEST(CPeakingFilterTest, OutputSaturatesInsteadOfWrapping) {
  std::vector<int16_t> frame(160, 30000);
  frame[1] = -30000;
  CPeakingFilter(CPeakingFilter::Design(8000, 1500, 0, 0.9f), 4.0f, 1).Run(frame);
  EXPECT_EQ(frame[0], 32767);
  EXPECT_EQ(frame[1], -32768);
  EXPECT_EQ(frame[100], 32767);
}

struct Response {
  uint32_t soundType;
  int32_t cascades;
};

class CFiltersResponseTest : public CFiltersTest, public ::testing::WithParamInterface<Response> {
 protected:
  // Gain of the default filter for a tone, measured on the second half of a
  // frame, past the start of each pass from a silent history.
  double GainAt(double frequency) {
    params.SetInt("FilterBp", 1);
    params.SetInt("FilterBpCascade", GetParam().cascades);
    CFilters filters(params, format);
    const auto n = static_cast<std::size_t>(format.FrameBytes() / 2);
    const double rate = format.SampleRate();
    auto frame = Tone(n, frequency, rate, 10000);
    filters.Bandpass(frame);
    const auto steady = std::span<const int16_t>(frame).subspan(n / 2);
    return AmplitudeAt(steady, frequency, rate) / 10000.0;
  }
};

TEST_P(CFiltersResponseTest, TheCentreHasThePeakGainAndLowTonesPassAtUnity) {
  format = SoundFormat::Of(SoundType{GetParam().soundType});
  const double fs = format.SampleRate();
  const double g = -4 / 6.6;
  const double cascades = GetParam().cascades;
  const double warpedCentre = fs / std::numbers::pi * std::atan(std::numbers::pi * 1500 / fs);
  EXPECT_NEAR(Decibels(GainAt(warpedCentre)), cascades * Decibels((3 + g) / (3 - g)), 0.5 * cascades);
  EXPECT_NEAR(Decibels(GainAt(150)), 0.0, 0.5 * cascades);
}

INSTANTIATE_TEST_SUITE_P(Rates, CFiltersResponseTest,
                         ::testing::Values(Response{9050, 1}, Response{9053, 1}, Response{9061, 1},
                                           Response{9061, 2}),
                         [](const auto& info) {
                           return std::to_string(info.param.soundType) + "_x" +
                                  std::to_string(info.param.cascades);
                         });

TEST_F(CFiltersTest, BandpassOffLeavesTheFrameAlone) {
  CFilters filters(params, format);
  auto frame = Tone(160, 1400, 8000, 10000);
  const auto before = frame;
  filters.Bandpass(frame);
  EXPECT_EQ(frame, before);
}

TEST_F(CFiltersTest, LimitClampsAtHalfTheLevel) {
  struct Case {
    bool on;
    int32_t level;
    int16_t expectedTop, expectedBottom;
  };
  const Case cases[] = {
      {true, 65535, 32767, -32768},  // clamps at +-32768: not at all
      {true, 1001, 501, -501},      {true, 2, 1, -1},
      {true, 0, 32767, -32768},  // no volume control: nothing limited
      {false, 1001, 32767, -32768},
  };
  for (const Case& c : cases) {
    params.SetInt("FilterLimiter", c.on ? 1 : 0);
    CFilters filters(params, format);
    std::vector<int16_t> frame{32767, -32768, 300, -300, 0};
    filters.Limit(frame, c.level);
    EXPECT_EQ(frame[0], c.expectedTop) << c.level;
    EXPECT_EQ(frame[1], c.expectedBottom) << c.level;
    EXPECT_EQ(frame[2], std::min<int16_t>(300, c.expectedTop)) << c.level;
    EXPECT_EQ(frame[3], std::max<int16_t>(-300, c.expectedBottom)) << c.level;
  }
}

TEST_F(CFiltersTest, ReverseKeepsStereoPairsTogether) {
  {
    CFilters mono(params, format);
    std::vector<int16_t> frame{1, 2, 3, 4, 5};
    mono.Reverse(frame);
    EXPECT_EQ(frame, (std::vector<int16_t>{5, 4, 3, 2, 1}));
  }
  format = SoundFormat::Of(SoundType{9052});
  CFilters stereo(params, format);
  std::vector<int16_t> frame{10, 11, 20, 21, 30, 31};  // L0 R0 L1 R1 L2 R2
  stereo.Reverse(frame);
  EXPECT_EQ(frame, (std::vector<int16_t>{30, 31, 20, 21, 10, 11}));
  std::vector<int16_t> onePair{1, 2};
  stereo.Reverse(onePair);
  EXPECT_EQ(onePair, (std::vector<int16_t>{1, 2}));
  stereo.Reverse({});
}

TEST_F(CFiltersTest, AverageBlendsUpToTheFirstZeroSum) {
  CFilters filters(params, format);
  std::vector<int16_t> next{3, -3, 32767, -32768, 5, -5, 9, 100};
  const std::vector<int16_t> skipped{4, -4, 32767, -32768, 6, 5, 1, 200};
  filters.Average(next, skipped, next);
  // Means truncate toward zero; the sum at index 5 is 0, so the rest stays.
  EXPECT_EQ(next, (std::vector<int16_t>{3, -3, 32767, -32768, 5, -5, 9, 100}));

  std::vector<int16_t> frame{1200, -700, 5, 0, 31000};
  std::vector<int16_t> negated;
  for (int16_t s : frame) negated.push_back(static_cast<int16_t>(-s));
  const auto before = frame;
  filters.Average(frame, negated, frame);
  EXPECT_EQ(frame, before);
}

// The main window reloads the filters while the playback thread runs them.
// Every frame must come out as the old set or the new set makes it, never as
// a mixture of the two, and ThreadSanitizer must find no race.
TEST_F(CFiltersTest, AReloadDuringPlaybackGivesOneWholeSetOrTheOther) {
  params.SetInt("FilterBp", 1);
  const auto input = Tone(160, 1300, 8000, 9000);
  auto outputWith = [&](int32_t gain, int32_t scale) {
    params.SetInt("FilterBpGain", gain);
    params.SetInt("FilterBpScale", scale);
    CFilters filters(params, format);
    auto frame = input;
    filters.Bandpass(frame);
    return frame;
  };
  const auto outA = outputWith(-10, 10);
  const auto outB = outputWith(8, 20);
  ASSERT_NE(outA, outB);

  CFilters filters(params, format);  // set B
  std::atomic<bool> stop{false};
  std::atomic<int> mixtures{0};
  std::thread playback([&] {
    while (!stop.load()) {
      auto frame = input;
      filters.Bandpass(frame);
      if (frame != outA && frame != outB) ++mixtures;
    }
  });
  for (int i = 0; i < 2000; ++i) {
    const bool a = i % 2 == 0;
    params.SetInt("FilterBpGain", a ? -10 : 8);
    params.SetInt("FilterBpScale", a ? 10 : 20);
    filters.LoadFilterSettings();
  }
  stop = true;
  playback.join();
  EXPECT_EQ(mixtures.load(), 0);
}

}  // namespace
