#pragma once

#include <cstdio>
#include <string>

// Minutes and seconds as "m:ss", the call time on a line page.
inline std::string FormatDuration(int seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%i:%02i", seconds / 60, seconds % 60);
  return text;
}
