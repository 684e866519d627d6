#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "net/audioreceiver.h"
#include "net/datagramsink.h"

class SignalPort;

// Classifies each received datagram by its code: audio goes straight to the
// audio receiver on the receive thread, signalling and presence are posted
// to the main thread as typed signals, anything else is dropped.
class CDatagramRouter : public DatagramSink, public AudioReceiverSlot {
 public:
  explicit CDatagramRouter(SignalPort& port);
  CDatagramRouter(const CDatagramRouter&) = delete;
  CDatagramRouter& operator=(const CDatagramRouter&) = delete;

  // Called on the receive thread.
  void OnDatagram(std::span<const uint8_t> bytes, const NetAddress& sender) override;

  // Any thread but the receive thread inside ReceiveAudio. It waits for at
  // most the one decode the receive thread may be in, asleep.
  void SetAudioReceiver(AudioReceiver* receiver) override;

 private:
  void RouteAudio(std::span<const uint8_t> bytes, uint32_t code, const NetAddress& sender);

  SignalPort& signals_;
  std::atomic<AudioReceiver*> audio_{nullptr};
  std::atomic<int> audioCallsRunning_{0};
};
