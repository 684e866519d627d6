#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "net/cudpsocket.h"
#include "net/datagramreader.h"
#include "net/datagramwriter.h"

// A UDP socket on a loopback address, for tests that check what goes on the
// wire. Collect reads everything a sender has sent so far without waiting
// for time to pass: it sends a fence through the sender's own socket and
// reads up to it, and datagrams from one socket to one address arrive in
// order. The receive timeout only turns a lost fence into a failure instead
// of a hang.
class CLoopbackPeer {
 public:
  struct Datagram {
    uint32_t code = 0;
    std::string text;
    std::size_t size = 0;
    NetAddress sender;  // the host alone: a copy's datagrams come from its netPort
  };

  // 127.0.0.n.
  static NetAddress Loopback(uint8_t n) { return NetAddress::IPv4(htonl(0x7F000000u | n)); }

  // Port 0 picks a free one.
  explicit CLoopbackPeer(const NetAddress& address, int port = 0)
      : address_(address), socket_(port, address) {
    timeval timeout{};
    timeout.tv_sec = 10;
    ::setsockopt(socket_.Descriptor(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  }
  CLoopbackPeer(const CLoopbackPeer&) = delete;
  CLoopbackPeer& operator=(const CLoopbackPeer&) = delete;

  bool IsOpen() const { return socket_.IsOpen(); }
  const NetAddress& Address() const { return address_; }
  int Port() const { return socket_.Port(); }
  // The socket by reference, as the program lends its own to the lines.
  const net::CUdpSocket& Socket() const { return socket_; }

  std::vector<Datagram> Collect(const net::CUdpSocket& sender) {
    sender.Send(address_.WithPort(static_cast<uint16_t>(Port())), datagram::BuildShort(kFence));
    std::vector<Datagram> received;
    for (;;) {
      std::array<uint8_t, 4096> buffer{};
      sockaddr_in from{};
      socklen_t fromLength = sizeof from;
      const ssize_t n = ::recvfrom(socket_.Descriptor(), buffer.data(), buffer.size(), 0,
                                   reinterpret_cast<sockaddr*>(&from), &fromLength);
      if (n < 0) break;
      const std::span<const uint8_t> bytes(buffer.data(), static_cast<std::size_t>(n));
      const uint32_t c = datagram::ReadCode(bytes);
      if (c == kFence) break;
      received.push_back(
          {c, std::string(datagram::ReadText(bytes)), bytes.size(), NetAddress::IPv4(from.sin_addr.s_addr)});
    }
    return received;
  }

  // The codes alone, for tests that only look at the order of codes.
  std::vector<uint32_t> CollectCodes(const net::CUdpSocket& sender) {
    std::vector<uint32_t> codes;
    for (const Datagram& d : Collect(sender)) codes.push_back(d.code);
    return codes;
  }

 private:
  static constexpr uint32_t kFence = 0xFFFFFFFFu;

  NetAddress address_;
  net::CUdpSocket socket_;
};
