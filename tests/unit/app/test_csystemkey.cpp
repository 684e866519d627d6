#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "app/csystemkey.h"

namespace {

// State words of the right-hand Control key: high bit down, low bit flips
// at each press.
constexpr uint16_t kUp0 = 0x0000, kDown1 = 0x8001, kUp1 = 0x0001, kDown0 = 0x8000;

TEST(CSystemKeyTest, EachNewPressCountsOnceAtTheTickThatSeesIt) {
  struct Case {
    const char* what;
    std::vector<uint16_t> ticks;
    std::vector<bool> counted;
  };
  const Case cases[] = {
      {"held for a second: one press",
       {kUp0, kDown1, kDown1, kDown1, kUp1, kUp1},
       {false, true, false, false, false, false}},
      {"a second press toggles back", {kUp0, kDown1, kUp1, kDown0, kUp0}, {false, true, false, true, false}},
      {"already down at the first poll: only the next press",
       {kDown1, kDown1, kUp1, kDown0},
       {false, false, false, true}},
      // A press between two ticks flips the bit unseen; the next press then
      // shows the word last counted and is ignored, the one after acts.
      {"an unseen press hides the next",
       {kUp0, kDown1, kUp1, /* unseen */ kUp0, kDown1, kUp1, kDown0},
       {false, true, false, false, false, false, true}},
  };
  for (const Case& c : cases) {
    CSystemKey key;
    std::vector<bool> counted;
    for (const uint16_t word : c.ticks) counted.push_back(key.Poll(word));
    EXPECT_EQ(counted, c.counted) << c.what;
  }
}

}  // namespace
