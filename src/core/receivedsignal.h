#pragma once

#include <cstdint>
#include <string>

#include "core/netaddress.h"

// A datagram of the signalling and presence vocabulary as the receive
// thread hands it to the main thread: who sent it, its code, and its text
// read as far as its first zero byte, with that text's decimal value (the
// Speex options and sound-type requests carry numbers).
struct ReceivedSignal {
  NetAddress from;
  uint32_t code = 0;
  std::string text;
  int32_t number = 0;
};

// Where the receive thread posts them: served on the main thread in the
// order posted. It never blocks; while the main thread is far behind, more
// are dropped, as lost datagrams would be.
class SignalPort {
 public:
  virtual ~SignalPort() = default;
  virtual void Post(ReceivedSignal signal) = 0;
};

// What serves them on the main thread.
class SignalHandler {
 public:
  virtual ~SignalHandler() = default;
  virtual void OnSignal(const ReceivedSignal& signal) = 0;
};
