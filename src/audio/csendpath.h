#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

#include "audio/pathparts.h"
#include "net/datagramlayout.h"

class CCodecSet;
class CProgress;

// The microphone's way to the peer, on the capture device's thread:
//
//   CPulseStream (a frame read) --> CDeviceMc --> CSendPath::CaptureFrame
//     --> echo canceller --> mute --> tap --> encode (the line's CCodecSet)
//     --> datagram --> CUdpSocket::Send to the line's peer
//
// (in the sound test the frame goes into the speaker spool instead). It owns
// its scratch buffers and uses only the encoding side of the line's codecs,
// so nothing it writes is ever read by the receive path. Made for one sound
// format; a change of type builds a new one.
class CSendPath {
 public:
  CSendPath(const SendParts& parts, CProgress& tap, const std::atomic<bool>& soundTest);
  CSendPath(const CSendPath&) = delete;
  CSendPath& operator=(const CSendPath&) = delete;

  // The capture device's frame callback; user is the path.
  static void CaptureFrame(int16_t* frame, void* user);
  // One captured frame of the format's size; muted, it goes out as silence.
  void Capture(int16_t* frame);

 private:
  void Send(std::span<int16_t> frame);
  std::size_t Encode(CCodecSet& codecs, std::span<const int16_t> frame);

  const SendParts parts_;
  CProgress& tap_;
  const std::atomic<bool>& soundTest_;

  std::array<uint8_t, datagram::kMaxFrameBytes> encoded_{};
  datagram::AudioDatagram datagram_{};
};
