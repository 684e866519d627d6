#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/cringer.h"
#include "fakes/cfakeloopplayer.h"

namespace {

using Calls = std::vector<std::string>;

class CRingerTest : public ::testing::Test {
 protected:
  // One heartbeat tick of a ringing line: the file name is set before each ring.
  void RingingTick(const std::string& file = "/ring.wav") {
    ringer.SetFileName(file);
    ringer.Ring();
  }
  void QuietTicks(int n) {
    for (int i = 0; i < n; ++i) ringer.RunDown();
  }

  CFakeLoopPlayer player;
  CRinger ringer{player};
};

TEST_F(CRingerTest, PlaysTheFileWhenReadableElseTheBuiltInSound) {
  struct Case {
    std::string file;
    bool readable;
    std::string played;
  };
  for (const Case& c : {Case{"/ring.wav", true, "file /ring.wav"}, Case{"/missing.wav", false, "built-in"},
                        Case{"", false, "built-in"}}) {
    player = CFakeLoopPlayer();
    if (c.readable) player.readableFiles.insert(c.file);
    RingingTick(c.file);
    EXPECT_EQ(player.calls, Calls{c.played}) << c.file;
    EXPECT_TRUE(ringer.Playing());
    EXPECT_EQ(ringer.LastError(), "");
    QuietTicks(CRinger::kRunDownTicks);
    ASSERT_FALSE(ringer.Playing());
  }
}

TEST_F(CRingerTest, StopsTenQuietTicksAfterTheLastRingingTick) {
  player.readableFiles.insert("/ring.wav");
  for (int tick = 0; tick < 30; ++tick) RingingTick();  // three seconds of ringing, then answered
  EXPECT_EQ(player.calls, Calls{"file /ring.wav"});

  QuietTicks(CRinger::kRunDownTicks - 1);
  EXPECT_TRUE(player.playing);
  QuietTicks(1);
  EXPECT_EQ(player.calls, (Calls{"file /ring.wav", "stop"}));
  EXPECT_FALSE(ringer.Playing());

  QuietTicks(20);
  EXPECT_EQ(player.calls.size(), 2u) << "a silent ringer has nothing to stop";
}

TEST_F(CRingerTest, ASecondRingWithinTheRunDownNeitherRestartsNorProlongsIt) {
  RingingTick();
  QuietTicks(5);
  RingingTick();  // the ringer test pressed again half a second later
  QuietTicks(CRinger::kRunDownTicks - 5);
  EXPECT_EQ(player.calls, (Calls{"built-in", "stop"}));

  RingingTick();  // once silent, the next ring starts the sound again
  EXPECT_EQ(player.calls, (Calls{"built-in", "stop", "built-in"}));
}

TEST_F(CRingerTest, QuietTicksWithoutRingingPlayNothing) {
  QuietTicks(CRinger::kRunDownTicks * 2);
  EXPECT_TRUE(player.calls.empty());
}

TEST_F(CRingerTest, ADeviceThatCannotPlayIsReportedAndNotRetriedEveryTick) {
  player.deviceError = "no output device";
  for (int tick = 0; tick < 5; ++tick) RingingTick();
  EXPECT_EQ(ringer.LastError(), "no output device");
  EXPECT_TRUE(player.calls.empty());

  QuietTicks(CRinger::kRunDownTicks);
  player.deviceError.clear();
  RingingTick();
  EXPECT_EQ(player.calls, (Calls{"stop", "built-in"}));
  EXPECT_EQ(ringer.LastError(), "");
}

TEST_F(CRingerTest, DestroyingARingingRingerSilencesIt) {
  {
    CRinger other(player);
    other.Ring();
  }
  EXPECT_EQ(player.calls, (Calls{"built-in", "stop"}));
}

}  // namespace
