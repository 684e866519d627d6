#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <vector>

#include "audio/pathparts.h"
#include "core/netaddress.h"
#include "net/datagramlayout.h"

class CCodecSet;
class CLog;
class CProgress;
class WindowPort;

// The peer's audio on its way to the loudspeaker:
//
//   datagram -> check -> decode -> spool        (receive thread: Receive)
//               spool -> filters -> tap -> playback   (playback thread: Play)
//
// The spool is the hand-over between the two threads (one producer, one
// consumer); the receive side owns the decoding scratch and uses only the
// decoding side of the line's codecs, so nothing it writes is touched by the
// send path. Made for one sound format; a change of type builds a new one.
class CReceivePath {
 public:
  CReceivePath(const ReceiveParts& parts, CProgress& tap, WindowPort& window, CLog& log);
  CReceivePath(const CReceivePath&) = delete;
  CReceivePath& operator=(const CReceivePath&) = delete;

  // Receive thread. datagram is exactly the received bytes, of sound type type.
  void Receive(std::span<const uint8_t> datagram, SoundType type, const NetAddress& sender);

  // The playback device's frame callback; user is the path.
  static void PlayFrame(int16_t* frame, void* user);
  // Fills one frame of the format's size for the loudspeaker.
  void Play(int16_t* frame);

 private:
  void RefuseWrongType(AudioLine& line, SoundType type, const NetAddress& sender);
  bool Decode(CCodecSet& codecs, std::span<const uint8_t> datagram);

  const ReceiveParts parts_;
  CProgress& tap_;
  WindowPort& window_;
  CLog& log_;

  // Receive thread's own.
  std::array<uint8_t, datagram::kMaxFrameBytes> payload_{};
  std::vector<int16_t> frame_;
};
