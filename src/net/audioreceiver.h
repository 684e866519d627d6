#pragma once

#include <cstdint>
#include <span>

#include "core/netaddress.h"
#include "core/soundtype.h"

// The audio receive path as the receive thread sees it. Audio is handed over
// on the receive thread itself, so that no frame waits in the main window's
// message queue.
class AudioReceiver {
 public:
  virtual ~AudioReceiver() = default;

  // datagram is exactly the received bytes (read it with the functions of
  // net/datagramreader.h); type is the sound type its code names; sender is
  // where it came from.
  virtual void ReceiveAudio(std::span<const uint8_t> datagram, SoundType type, const NetAddress& sender) = 0;
};

// Where the receive thread finds the audio receiver. The one rule for
// changing it: once SetAudioReceiver returns, the receive thread has left
// the receiver it had, which may then be rebuilt or destroyed. Audio that
// arrives while none is set is dropped.
class AudioReceiverSlot {
 public:
  virtual ~AudioReceiverSlot() = default;
  virtual void SetAudioReceiver(AudioReceiver* receiver) = 0;
};
