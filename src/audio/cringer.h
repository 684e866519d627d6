#pragma once

#include <string>

#include "core/loopplayer.h"

// The ring sound while a call comes in. The heartbeat asks for ringing on
// every tick a line rings and lets the ringer run down otherwise, so the
// sound ends a fixed number of quiet ticks after the last ringing one.
// Main thread only.
class CRinger {
 public:
  static constexpr int kRunDownTicks = 10;

  explicit CRinger(LoopPlayer& player);
  ~CRinger();
  CRinger(const CRinger&) = delete;
  CRinger& operator=(const CRinger&) = delete;

  // The file to play at the next Ring; empty or unreadable means the built-in sound.
  void SetFileName(const std::string& name) { fileName_ = name; }
  void Ring();
  void RunDown();

  bool Playing() const { return playing_; }
  // Why the last Ring could play neither the file nor the built-in sound; empty when it could.
  const std::string& LastError() const { return lastError_; }

 private:
  LoopPlayer& player_;
  bool playing_ = false;
  std::string fileName_;
  int runDown_ = 0;
  std::string lastError_;
};
