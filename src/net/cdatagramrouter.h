#pragma once

#include "net/datagramsink.h"

class WindowPort;

// Classifies each received datagram by its code and turns it into what the
// main window or the audio path must see.
class CDatagramRouter : public DatagramSink {
 public:
  explicit CDatagramRouter(WindowPort& window);
  void OnDatagram(std::span<const uint8_t> bytes, uint32_t sender) override;

 private:
  WindowPort& window_;
};
