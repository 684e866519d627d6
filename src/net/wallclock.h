#pragma once

#include <cstdint>
#include <ctime>
#include <functional>

// Wall-clock seconds as the lines count call time. Held as a function so
// that tests choose the second a call starts and the second of each tick.
using WallClock = std::function<int64_t()>;

inline int64_t SystemSeconds() {
  return static_cast<int64_t>(std::time(nullptr));
}
