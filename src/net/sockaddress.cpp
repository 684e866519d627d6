#include "net/sockaddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>

namespace net {

namespace {

constexpr uint8_t kMappedPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};

}  // namespace

SockAddress ToSockAddress(const NetAddress& address, uint16_t port, int socketFamily) {
  SockAddress out;
  if (socketFamily == AF_INET) {
    if (!address.IsIPv4()) return out;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&out.storage);
    v4->sin_family = AF_INET;
    v4->sin_port = htons(port);
    v4->sin_addr.s_addr = address.IPv4NetworkOrder();
    out.length = sizeof(sockaddr_in);
    return out;
  }
  if (socketFamily != AF_INET6 || address.IsNone()) return out;
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&out.storage);
  v6->sin6_family = AF_INET6;
  v6->sin6_port = htons(port);
  if (address.IsIPv4()) {
    std::memcpy(v6->sin6_addr.s6_addr, kMappedPrefix, sizeof kMappedPrefix);
    std::memcpy(v6->sin6_addr.s6_addr + 12, address.bytes().data(), 4);
  } else {
    std::memcpy(v6->sin6_addr.s6_addr, address.bytes().data(), 16);
  }
  out.length = sizeof(sockaddr_in6);
  return out;
}

NetAddress FromSockAddress(const sockaddr* address, socklen_t length) {
  if (!address) return {};
  if (address->sa_family == AF_INET && length >= static_cast<socklen_t>(sizeof(sockaddr_in))) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
    return NetAddress::IPv4(v4->sin_addr.s_addr, ntohs(v4->sin_port));
  }
  if (address->sa_family == AF_INET6 && length >= static_cast<socklen_t>(sizeof(sockaddr_in6))) {
    const auto* v6 = reinterpret_cast<const sockaddr_in6*>(address);
    const uint8_t* bytes = v6->sin6_addr.s6_addr;
    if (std::equal(std::begin(kMappedPrefix), std::end(kMappedPrefix), bytes)) {
      uint32_t networkOrder = 0;
      std::memcpy(&networkOrder, bytes + 12, sizeof networkOrder);
      return NetAddress::IPv4(networkOrder, ntohs(v6->sin6_port));
    }
    NetAddress::Bytes raw{};
    std::memcpy(raw.data(), bytes, raw.size());
    return NetAddress::IPv6(raw, ntohs(v6->sin6_port));
  }
  return {};
}

}  // namespace net
