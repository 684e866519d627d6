#pragma once

#include <cstdint>

// Presses of the right-hand Control key, from its state word (high bit: the
// key is down; low bit: flips at every press), polled ten times a second.
// Every new press counts once however long the key is held, and a key that
// is already down at the first poll counts only from its next press.
class CSystemKey {
 public:
  // True when the word shows a press not counted yet.
  bool Poll(uint16_t state);

 private:
  bool polled_ = false;
  uint16_t last_ = 0;
};
