#pragma once

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

#include "core/netaddress.h"

namespace net {

// The one UDP socket a copy of the program talks on, bound to its port.
// Every peer listens on the same port number, so the socket's own port is
// also where everything it sends goes unless the address says otherwise.
// Made by the program before the lines, the receive thread and the audio
// paths, which hold it by reference, and destroyed after all of them.
//
// Sends come from the main thread, the capture thread and the receive
// thread; they never block (a full send queue drops the datagram, as a lost
// one would be, instead of stalling an audio callback) and after Close they
// go nowhere, so a number the system hands out again is never written to.
class CUdpSocket {
 public:
  static constexpr int kClosed = -1;

  // Binds port on bindAddress (none: all local addresses, IPv4 and IPv6);
  // port 0 takes a free one. IsOpen() tells whether it worked and Error() why not.
  explicit CUdpSocket(int port, const NetAddress& bindAddress = {});
  ~CUdpSocket();
  CUdpSocket(const CUdpSocket&) = delete;
  CUdpSocket& operator=(const CUdpSocket&) = delete;

  bool IsOpen() const { return fd_.load() != kClosed; }
  const std::string& Error() const { return error_; }
  // The bound port (the one taken when 0 was asked for).
  int Port() const { return port_; }
  // kClosed once closed; for what reads the socket itself.
  int Descriptor() const { return fd_.load(); }

  // To the address's port, or this socket's own where it has none (a peer's
  // copy of the program listens on the same port). An address the socket
  // cannot reach (IPv6 on an IPv4 socket) sends nothing.
  void Send(const NetAddress& to, std::span<const uint8_t> bytes) const;
  // The receive thread's: waits for a datagram and says who sent it; -1,
  // with errno, on failure (and at once after WakeReceivers).
  ssize_t Receive(std::span<uint8_t> buffer, NetAddress& from) const;

  // Wakes a thread blocked receiving on the socket; it then answers every
  // receive at once. The socket stays open for the thread's last read.
  void WakeReceivers() const;
  // Wakes receivers and closes. Idempotent.
  void Close();

 private:
  std::atomic<int> fd_{kClosed};
  int family_ = 0;  // AF_INET or AF_INET6
  int port_ = 0;
  std::string error_;
};

}  // namespace net
