#pragma once

#include <string>

// Plays one sound over and over on its own, off the caller's thread, until
// told to stop: the ring sound's way to the loudspeaker.
class LoopPlayer {
 public:
  virtual ~LoopPlayer() = default;

  // Each start is ignored (and reports true) while a sound plays. False, with
  // the reason in error, when the file cannot be read or played.
  virtual bool PlayFileLooping(const std::string& path, std::string& error) = 0;
  // The ring sound built into the program.
  virtual bool PlayBuiltInLooping(std::string& error) = 0;
  // Silent on return; nothing to do when nothing plays.
  virtual void Stop() = 0;
};
