#pragma once

#include <cstddef>
#include <string>

// What an open says of a device index outside the backend's enumeration.
inline std::string NoSuchDeviceText(bool input, int device, std::size_t found) {
  return std::string("There is no ") + (input ? "input" : "output") + " audio device " +
         std::to_string(device) + " (" + std::to_string(found) + " found).";
}
