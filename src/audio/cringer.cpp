#include "audio/cringer.h"

CRinger::CRinger(LoopPlayer& player) : player_(player) {}

// The sound must not outlive the object that alone would stop it.
CRinger::~CRinger() {
  if (playing_) player_.Stop();
}

void CRinger::Ring() {
  // A ring while playing keeps the count: a second request within the
  // run-down does not lengthen it.
  if (playing_) return;
  playing_ = true;
  runDown_ = kRunDownTicks;
  lastError_.clear();
  std::string fileError;
  if (player_.PlayFileLooping(fileName_, fileError)) return;
  std::string builtInError;
  if (player_.PlayBuiltInLooping(builtInError)) return;
  // Still counted as playing, so a failing device is not retried on every
  // tick of the same call.
  lastError_ = builtInError;
}

void CRinger::RunDown() {
  if (!playing_) return;
  if (--runDown_ > 0) return;
  playing_ = false;
  player_.Stop();
}
