#pragma once

#include <cstdint>
#include <span>

// The audio receive path as the receive thread sees it. Audio is handed over
// on the receive thread itself, so that no frame waits in the main window's
// message queue.
class AudioReceiver {
 public:
  virtual ~AudioReceiver() = default;

  // datagram is exactly the received bytes (read it with the functions of
  // net/datagramreader.h); code is its sound type, 9050 to 9064; sender is
  // the peer's IPv4 address in network order.
  virtual void ReceiveAudio(std::span<const uint8_t> datagram, uint32_t code, uint32_t sender) = 0;
};
