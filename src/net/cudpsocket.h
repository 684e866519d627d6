#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

namespace net {

// The one IPv4 UDP socket a copy of the program talks on, bound to its port.
// Every peer listens on the same port number, so the socket's own port is
// also where everything it sends goes. Made by the object graph before the
// lines, the receive thread and the audio paths, which hold it by reference,
// and destroyed after all of them.
//
// Sends come from the main thread, the capture thread and the receive
// thread; they never block (a full send queue drops the datagram, as a lost
// one would be, instead of stalling an audio callback) and after Close they
// go nowhere, so a number the system hands out again is never written to.
class CUdpSocket {
 public:
  static constexpr int kClosed = -1;

  // Binds port on bindAddress (0: all local addresses); port 0 takes a free
  // one. IsOpen() tells whether it worked and Error() why not.
  explicit CUdpSocket(int port, uint32_t bindAddress = 0);
  ~CUdpSocket();
  CUdpSocket(const CUdpSocket&) = delete;
  CUdpSocket& operator=(const CUdpSocket&) = delete;

  bool IsOpen() const { return fd_.load() != kClosed; }
  const std::string& Error() const { return error_; }
  // The bound port (the one taken when 0 was asked for).
  int Port() const { return port_; }
  // For the thread that receives on it; kClosed once closed.
  int Descriptor() const { return fd_.load(); }

  // To the peer's copy of the program, on this socket's port.
  void SendToPeer(uint32_t peer, std::span<const uint8_t> bytes) const;
  // A dotted address; a text that is none sends nothing.
  void SendToPeer(const std::string& peer, std::span<const uint8_t> bytes) const;
  void SendTo(uint32_t address, int port, std::span<const uint8_t> bytes) const;

  // Wakes a thread blocked receiving on the socket; it then answers every
  // receive at once. The socket stays open for the thread's last read.
  void WakeReceivers() const;
  // Wakes receivers and closes. Idempotent.
  void Close();

 private:
  std::atomic<int> fd_{kClosed};
  int port_ = 0;
  std::string error_;
};

}  // namespace net
