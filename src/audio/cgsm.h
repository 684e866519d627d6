#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

struct gsm_state;

// GSM 06.10 full rate on libgsm. Encoding (capture thread) and decoding
// (receive thread) each have their own library handle, so the two directions
// never share state and need no lock.
class CGsm {
 public:
  static constexpr std::size_t kSamples = 160;
  static constexpr std::size_t kFrameBytes = 33;

  CGsm();
  ~CGsm();
  CGsm(const CGsm&) = delete;
  CGsm& operator=(const CGsm&) = delete;

  // False, output untouched, for spans that are not one frame.
  bool Encode(std::span<const int16_t> pcm, std::span<uint8_t> encoded);

  // A frame the library refuses (its first nibble is not the GSM magic 0xD)
  // plays as silence: false, and pcm is zeroed rather than left to whatever
  // the caller had in it.
  bool Decode(std::span<const uint8_t> encoded, std::span<int16_t> pcm);

 private:
  struct HandleDeleter {
    void operator()(gsm_state* handle) const;
  };
  std::unique_ptr<gsm_state, HandleDeleter> decoder_;
  std::unique_ptr<gsm_state, HandleDeleter> encoder_;
};
