#include "app/csystemkey.h"

bool CSystemKey::Poll(uint16_t state) {
  if (!polled_) {
    polled_ = true;
    last_ = state;
  }
  const bool down = (state & 0x8000) != 0;
  if (!down || state == last_) return false;
  last_ = state;
  return true;
}
