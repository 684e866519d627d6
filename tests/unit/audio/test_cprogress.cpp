#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "audio/cprogress.h"
#include "audio/soundtypes.h"

namespace {

using Frame = std::vector<int16_t>;

// A frame whose peak, and so level, is 2 x k.
Frame WithPeak(int k) {
  Frame f(160, 0);
  f[17] = static_cast<int16_t>(k);
  f[90] = static_cast<int16_t>(-k / 2);
  return f;
}

class CProgressTest : public ::testing::Test {
 protected:
  SoundFormat format = SoundFormat::Of(SoundType{9050});
};

TEST_F(CProgressTest, TheLevelIsTwiceTheLargestMagnitude) {
  EXPECT_EQ(CProgress::LevelOf(Frame(160, 0)), 0);
  EXPECT_EQ(CProgress::LevelOf(Frame{3, -32768, 100}), 65536);
  EXPECT_EQ(CProgress::LevelOf(Frame{32767, -5}), 65534);
  EXPECT_EQ(CProgress::LevelOf(Frame{-7, 6}), 14);
}

TEST_F(CProgressTest, AnUnchangingLevelIsHeldFiveReadsThenFalls) {
  CProgress mic(0, format);
  mic.Tap(WithPeak(1000));
  EXPECT_EQ(mic.ReadLevel(), 2000);
  for (int read = 1; read <= 5; ++read) EXPECT_EQ(mic.ReadLevel(), 2000) << read;
  EXPECT_EQ(mic.ReadLevel(), 0);
  EXPECT_EQ(mic.ReadLevel(), 0);
  mic.Tap(WithPeak(1000));  // the same level again is no change: still 0
  EXPECT_EQ(mic.ReadLevel(), 0);
  mic.Tap(WithPeak(300));
  EXPECT_EQ(mic.ReadLevel(), 600);
  EXPECT_EQ(mic.ReadLevel(), 600);
}

TEST_F(CProgressTest, TheMicrophoneTapShowsTheNewestFrame) {
  CProgress mic(0, format);
  EXPECT_EQ(mic.HistoryFrames(), 1u);
  mic.Tap(WithPeak(5));
  mic.Tap(WithPeak(9));
  Frame out(160, 1);
  ASSERT_TRUE(mic.GetFrame(out));
  EXPECT_EQ(out, WithPeak(9));
  EXPECT_EQ(mic.ReadLevel(), 18);
}

TEST_F(CProgressTest, TheSpeakerTapLagsByTwiceTheBufferFactor) {
  CProgress speaker(1, format);
  ASSERT_EQ(speaker.HistoryFrames(), 8u);
  Frame out(160, 1);
  speaker.Tap(WithPeak(1));
  ASSERT_TRUE(speaker.GetFrame(out));
  EXPECT_EQ(out, Frame(160, 0));  // nothing that old yet
  for (int k = 2; k <= 10; ++k) speaker.Tap(WithPeak(k));
  // Ten frames into a history of eight: the oldest kept is frame 3, and the
  // level comes from the frame one newer.
  ASSERT_TRUE(speaker.GetFrame(out));
  EXPECT_EQ(out, WithPeak(3));
  EXPECT_EQ(speaker.ReadLevel(), 8);

  format = SoundFormat::Of(SoundType{9057});
  EXPECT_EQ(CProgress(1, format).HistoryFrames(), 512u);
  EXPECT_EQ(CProgress(1, format).FrameSamples(), 640u);
}

TEST_F(CProgressTest, ClearZeroesLevelsAndFrames) {
  CProgress speaker(1, format);
  for (int k = 1; k <= 20; ++k) speaker.Tap(WithPeak(100 * k));
  speaker.Clear();
  Frame out(160, 1);
  ASSERT_TRUE(speaker.GetFrame(out));
  EXPECT_EQ(out, Frame(160, 0));
  EXPECT_EQ(speaker.ReadLevel(), 0);
}

// The playback callback taps while the heartbeat reads and clears. A frame
// handed out must be whole: every frame tapped here is one repeated value.
// The taps come a little apart, as a device's do, so that reads between
// them succeed however the two threads are scheduled.
TEST_F(CProgressTest, TapsAndReadsOnTwoThreadsGiveWholeFrames) {
  CProgress speaker(1, format);
  std::atomic<bool> stop{false};
  std::thread playback([&] {
    Frame frame(160);
    for (int k = 0; !stop.load(); ++k) {
      std::fill(frame.begin(), frame.end(), static_cast<int16_t>(k % 30000));
      speaker.Tap(frame);
      std::this_thread::sleep_for(std::chrono::microseconds(20));
    }
  });
  Frame out(160);
  int whole = 0, torn = 0;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (int i = 0; whole < 2000 && std::chrono::steady_clock::now() < end; ++i) {
    if (speaker.GetFrame(out)) {
      ++whole;
      if (std::any_of(out.begin(), out.end(), [&](int16_t s) { return s != out[0]; })) ++torn;
    }
    speaker.ReadLevel();
    if (i % 1000 == 0) speaker.Clear();
  }
  stop = true;
  playback.join();
  EXPECT_EQ(whole, 2000);
  EXPECT_EQ(torn, 0);
}

}  // namespace
