#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "audio/cdelayfinder.h"

namespace {

// A loudness envelope with syllables of random length and loudness, and
// the microphone hearing it `lag` frames later, fainter and with noise.
struct Envelopes {
  std::vector<float> reference, mic;
};

Envelopes Echoed(int lag, std::size_t frames, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<float> loud(500, 6000), noise(0, 60);
  std::uniform_int_distribution<int> length(3, 12);
  Envelopes e;
  while (e.reference.size() < frames + 64) {
    const float level = loud(random);
    for (int i = length(random); i > 0; --i) e.reference.push_back(level);
    for (int i = length(random) / 2; i > 0; --i) e.reference.push_back(30);
  }
  const int offset = 32;
  for (std::size_t t = 0; t < frames; ++t) {
    e.mic.push_back(0.2f * e.reference[static_cast<std::size_t>(static_cast<int>(t) + offset - lag)] +
                    noise(random));
  }
  e.reference.erase(e.reference.begin(), e.reference.begin() + offset);
  e.reference.resize(frames);
  return e;
}

TEST(CDelayFinderTest, FindsHowLateTheEchoComesEarlyOrLate) {
  for (const int lag : {-6, -1, 0, 3, 12, 20}) {
    SCOPED_TRACE(lag);
    CDelayFinder finder(100, 50, 8, 24);
    finder.Clear(false);
    const Envelopes e = Echoed(lag, 300, static_cast<unsigned>(lag + 100));
    for (std::size_t t = 0; t < e.mic.size(); ++t) finder.Add(e.reference[t], e.mic[t]);
    ASSERT_TRUE(finder.Ready());
    const CDelayFinder::Match match = finder.Best();
    EXPECT_EQ(match.lag, lag);
    EXPECT_GT(match.likeness, 0.9f);
  }
}

TEST(CDelayFinderTest, SteadyOrSilentSoundMatchesNothing) {
  CDelayFinder finder(40, 20, 4, 8);
  finder.Clear(false);
  for (int t = 0; t < 100; ++t)
    finder.Add(t % 7 == 0 ? 3000.0f : 0.0f, 500.0f);  // the microphone does not vary
  EXPECT_EQ(finder.Best().likeness, 0.0f);
  finder.Clear(false);
  for (int t = 0; t < 100; ++t) finder.Add(0.0f, static_cast<float>(t % 5));  // nothing was played
  EXPECT_EQ(finder.Best().likeness, 0.0f);
}

TEST(CDelayFinderTest, IsReadyAfterAWindowAndTheEarliestLagOrSoonerAfterAQuickClear) {
  CDelayFinder finder(40, 20, 4, 8);
  for (const bool quick : {false, true}) {
    SCOPED_TRACE(quick);
    finder.Clear(quick);
    const int needed = (quick ? 20 : 40) + 4;
    for (int t = 0; t < needed - 1; ++t) finder.Add(1, 1);
    EXPECT_FALSE(finder.Ready());
    finder.Add(1, 1);
    EXPECT_TRUE(finder.Ready());
  }
}

}  // namespace
