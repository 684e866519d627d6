#pragma once

#include <cstdint>

#include "core/linestate.h"
#include "core/netaddress.h"

// What the audio paths need of a call line, from their own threads: whether
// it is connected and to whom, its number, a signalling value to its peer and
// the traffic counters. Everything here is safe from any thread.
class AudioLine {
 public:
  virtual ~AudioLine() = default;

  virtual int LineNumber() const = 0;
  // Audio flows only in the connected state.
  virtual LineState State() const = 0;
  // The peer's address; none while the line has no peer.
  virtual NetAddress PeerAddress() const = 0;
  virtual bool IsIncoming() const = 0;
  // One signalling datagram with a number; nothing while the line has no peer.
  virtual void SendValue(uint32_t code, int32_t value) = 0;
  virtual void AddRxBytes(uint64_t bytes) = 0;
  virtual void AddTxBytes(uint64_t bytes) = 0;
};
