#pragma once

#include <string>

// Starting programs and opening files the way the desktop does. Paths are
// the file system's bytes.
namespace desktoplauncher {

// Runs the program on its own, with its folder as working folder: it is not
// this process's child, so it outlives the phone and leaves nothing to reap.
// False when it could not be started (no such program, no interpreter for
// its script, no permission).
bool StartDetached(const std::string& path);

// Hands the file to the desktop's handler for its type (xdg-open); false
// when the desktop refused it.
bool Open(const std::string& path);

}  // namespace desktoplauncher
