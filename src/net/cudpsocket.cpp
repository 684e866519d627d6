#include "net/cudpsocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "net/sockaddress.h"

namespace net {

CUdpSocket::CUdpSocket(int port, const NetAddress& bindAddress) {
  // An IPv4 address to bind keeps the socket to IPv4. Otherwise one socket
  // serves both families, IPv4 peers travelling mapped; a system without
  // IPv6 gets an IPv4 socket as before.
  int family = bindAddress.IsIPv4() ? AF_INET : AF_INET6;
  int fd = ::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0 && family == AF_INET6 && bindAddress.IsNone()) {
    family = AF_INET;
    fd = ::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  }
  if (fd < 0) {
    error_ = std::strerror(errno);
    return;
  }
  if (family == AF_INET6) {
    const int v6only = bindAddress.IsIPv6() ? 1 : 0;
    ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &v6only, sizeof v6only);
  }
  // No SO_REUSEADDR: on Linux it lets a second UDP socket share the port
  // silently, so a second program on the same port would steal datagrams
  // instead of being told the port is taken. UDP has no TIME_WAIT to skip.
  const NetAddress any = family == AF_INET ? NetAddress::IPv4(0) : NetAddress::IPv6({});
  const SockAddress address =
      ToSockAddress(bindAddress.IsNone() ? any : bindAddress, static_cast<uint16_t>(port), family);
  if (::bind(fd, address.get(), address.length) != 0) {
    error_ = std::strerror(errno);
    ::close(fd);
    return;
  }
  SockAddress bound;
  bound.length = sizeof bound.storage;
  port_ = ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound.storage), &bound.length) == 0
              ? FromSockAddress(bound.get(), bound.length).port()
              : port;
  family_ = family;
  fd_.store(fd);
}

CUdpSocket::~CUdpSocket() {
  Close();
}

void CUdpSocket::Send(const NetAddress& to, std::span<const uint8_t> bytes) const {
  const int fd = fd_.load();
  if (fd < 0 || bytes.empty()) return;
  const SockAddress address =
      ToSockAddress(to, to.port() != 0 ? to.port() : static_cast<uint16_t>(port_), family_);
  if (address.length == 0) return;
  ::sendto(fd, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL, address.get(), address.length);
}

ssize_t CUdpSocket::Receive(std::span<uint8_t> buffer, NetAddress& from) const {
  SockAddress sender;
  sender.length = sizeof sender.storage;
  const ssize_t received = ::recvfrom(fd_.load(), buffer.data(), buffer.size(), 0,
                                      reinterpret_cast<sockaddr*>(&sender.storage), &sender.length);
  from = received >= 0 ? FromSockAddress(sender.get(), sender.length) : NetAddress();
  return received;
}

void CUdpSocket::WakeReceivers() const {
  // On an unconnected UDP socket Linux answers ENOTCONN but still marks the
  // socket shut and wakes a blocked recvfrom, which is all that is wanted.
  if (const int fd = fd_.load(); fd >= 0) ::shutdown(fd, SHUT_RDWR);
}

void CUdpSocket::Close() {
  const int fd = fd_.exchange(kClosed);
  if (fd < 0) return;
  ::shutdown(fd, SHUT_RDWR);
  ::close(fd);
}

}  // namespace net
