#pragma once

#include <cstdint>
#include <span>

#include "core/netaddress.h"

// Where the receive thread hands each datagram it keeps. Called on the
// receive thread; bytes holds exactly what was received.
class DatagramSink {
 public:
  virtual ~DatagramSink() = default;
  virtual void OnDatagram(std::span<const uint8_t> bytes, const NetAddress& sender) = 0;
};
