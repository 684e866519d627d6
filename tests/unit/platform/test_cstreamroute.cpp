#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cstreamroute.h"

namespace {

struct RouteCase {
  const char* what;
  std::string chosen;
  std::vector<std::string> devices;  // where the stream lands, in turn; "" for nowhere
  bool onChosen;
  uint64_t losses;
};

TEST(CStreamRouteTest, CountsEachTimeTheStreamLeavesItsDevice) {
  const RouteCase cases[] = {
      {"stays", "head", {"head"}, true, 0},
      {"stands in", "head", {"head", "spk"}, false, 1},
      {"moves while standing in", "head", {"head", "spk", "mic", ""}, false, 1},
      {"comes back", "head", {"head", "spk", "head"}, true, 1},
      {"leaves twice", "head", {"head", "spk", "head", "", "head"}, true, 2},
      {"default followed", "", {"spk", "head", "mic"}, true, 0},
      {"default killed", "", {"spk", "", "head"}, true, 1},
  };
  for (const RouteCase& c : cases) {
    SCOPED_TRACE(c.what);
    CStreamRoute route(c.chosen);
    for (const std::string& device : c.devices) route.NoteDevice(device, device);
    EXPECT_EQ(route.OnChosen(), c.onChosen);
    EXPECT_EQ(route.Losses(), c.losses);
  }
}

TEST(CStreamRouteTest, ADefaultChangeMovesOnlyAStreamThatIsNotOnItsChoice) {
  CStreamRoute system("");
  system.NoteDevice("spk", "Speaker");
  EXPECT_EQ(system.MoveForDefault("head"), "head");
  EXPECT_EQ(system.MoveForDefault("spk"), "");
  EXPECT_EQ(system.MoveForDefault(""), "");

  CStreamRoute chosen("head");
  chosen.NoteDevice("head", "Headset");
  EXPECT_EQ(chosen.MoveForDefault("spk"), "");
  EXPECT_FALSE(chosen.TakesBack("head"));
  chosen.NoteDevice("spk", "Speaker");
  EXPECT_EQ(chosen.MoveForDefault("mic"), "mic");
  EXPECT_TRUE(chosen.TakesBack("head"));
  EXPECT_FALSE(chosen.TakesBack("mic"));
}

TEST(CStreamRouteTest, ANameShownLateBelongsOnlyToTheDeviceItNames) {
  CStreamRoute route("head");
  route.NoteDevice("spk", "spk");
  route.NoteShown("head", "Headset");
  EXPECT_EQ(route.Shown(), "spk");
  route.NoteShown("spk", "Built-in speaker");
  EXPECT_EQ(route.Shown(), "Built-in speaker");
}

}  // namespace
