#pragma once

#include <cstddef>
#include <string>

constexpr std::size_t kMaxDeviceNameChars = 49;

// A sound device's name as the program keeps texts: Latin-1 (others become
// "?"), at most kMaxDeviceNameChars characters.
std::string DeviceDisplayName(const char* utf8Name);
