#include "audio/cgsm.h"

#include <gsm.h>

#include <algorithm>

void CGsm::HandleDeleter::operator()(gsm_state* handle) const {
  gsm_destroy(handle);
}

CGsm::CGsm() : decoder_(gsm_create()), encoder_(gsm_create()) {}

CGsm::~CGsm() = default;

// libgsm's prototypes predate const; it only reads its input.
bool CGsm::Encode(std::span<const int16_t> pcm, std::span<uint8_t> encoded) {
  if (!encoder_ || pcm.size() != kSamples || encoded.size() != kFrameBytes) return false;
  gsm_encode(encoder_.get(), const_cast<gsm_signal*>(pcm.data()), encoded.data());
  return true;
}

bool CGsm::Decode(std::span<const uint8_t> encoded, std::span<int16_t> pcm) {
  if (pcm.size() != kSamples) return false;
  if (!decoder_ || encoded.size() != kFrameBytes ||
      gsm_decode(decoder_.get(), const_cast<gsm_byte*>(encoded.data()), pcm.data()) != 0) {
    std::fill(pcm.begin(), pcm.end(), int16_t{0});
    return false;
  }
  return true;
}
