#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "net/datagramsink.h"

class AudioReceiver;
class WindowPort;

// Classifies each received datagram by its code: audio goes straight to the
// audio receiver, Speex options and signalling become messages posted to
// the main window, anything else is dropped.
class CDatagramRouter : public DatagramSink {
 public:
  explicit CDatagramRouter(WindowPort& window);
  CDatagramRouter(const CDatagramRouter&) = delete;
  CDatagramRouter& operator=(const CDatagramRouter&) = delete;

  // Called on the receive thread.
  void OnDatagram(std::span<const uint8_t> bytes, uint32_t sender) override;

  // Any thread but the receive thread inside ReceiveAudio. Audio arriving
  // while none is set is dropped. Returns only once the receive thread has
  // left the previous receiver, so the caller may destroy it straight away.
  void SetAudioReceiver(AudioReceiver* receiver);

 private:
  void RouteAudio(std::span<const uint8_t> bytes, uint32_t code, uint32_t sender);

  WindowPort& window_;
  std::atomic<AudioReceiver*> audio_{nullptr};
  std::atomic<int> audioCallsRunning_{0};
};
