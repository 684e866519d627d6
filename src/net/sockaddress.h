#pragma once

#include <sys/socket.h>

#include <cstdint>

#include "core/netaddress.h"

namespace net {

// An address in the form the system calls take, for a socket of the given
// family: an IPv4 address on an IPv6 socket travels mapped (::ffff:a.b.c.d).
struct SockAddress {
  sockaddr_storage storage{};
  socklen_t length = 0;  // 0: the address cannot go on such a socket

  const sockaddr* get() const { return reinterpret_cast<const sockaddr*>(&storage); }
};

SockAddress ToSockAddress(const NetAddress& address, uint16_t port, int socketFamily);
// What a socket call gave back, with its port; a mapped IPv4 address comes
// back as the IPv4 address it stands for.
NetAddress FromSockAddress(const sockaddr* address, socklen_t length);

}  // namespace net
