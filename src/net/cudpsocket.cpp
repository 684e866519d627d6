#include "net/cudpsocket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace net {

CUdpSocket::CUdpSocket(int port, const NetAddress& bindAddress) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error_ = std::strerror(errno);
    return;
  }
  // No SO_REUSEADDR: on Linux it lets a second UDP socket share the port
  // silently, so a second program on the same port would steal datagrams
  // instead of being told the port is taken. UDP has no TIME_WAIT to skip.
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = bindAddress.IPv4NetworkOrder();
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    error_ = std::strerror(errno);
    ::close(fd);
    return;
  }
  sockaddr_in bound{};
  socklen_t length = sizeof bound;
  port_ = ::getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length) == 0 ? ntohs(bound.sin_port) : port;
  fd_.store(fd);
}

CUdpSocket::~CUdpSocket() {
  Close();
}

void CUdpSocket::Send(const NetAddress& to, std::span<const uint8_t> bytes) const {
  const int fd = fd_.load();
  if (fd < 0 || bytes.empty() || !to.IsIPv4()) return;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(to.port() != 0 ? to.port() : static_cast<uint16_t>(port_));
  address.sin_addr.s_addr = to.IPv4NetworkOrder();
  ::sendto(fd, bytes.data(), bytes.size(), MSG_DONTWAIT | MSG_NOSIGNAL,
           reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

ssize_t CUdpSocket::Receive(std::span<uint8_t> buffer, NetAddress& from) const {
  sockaddr_in sender{};
  socklen_t length = sizeof sender;
  const ssize_t received =
      ::recvfrom(fd_.load(), buffer.data(), buffer.size(), 0, reinterpret_cast<sockaddr*>(&sender), &length);
  from = received >= 0 && sender.sin_family == AF_INET
             ? NetAddress::IPv4(sender.sin_addr.s_addr, ntohs(sender.sin_port))
             : NetAddress();
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
