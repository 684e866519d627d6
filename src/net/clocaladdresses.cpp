#include "net/clocaladdresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "net/sockaddress.h"
#include "net/transport.h"

std::vector<NetAddress> CLocalAddresses::SystemInterfaces() {
  std::vector<NetAddress> addresses;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return addresses;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || !(entry->ifa_flags & IFF_UP)) continue;
    const int family = entry->ifa_addr->sa_family;
    if (family != AF_INET && family != AF_INET6) continue;
    const socklen_t length = family == AF_INET ? sizeof(sockaddr_in) : sizeof(sockaddr_in6);
    if (const NetAddress address = net::FromSockAddress(entry->ifa_addr, length); !address.IsNone())
      addresses.push_back(address.Host());
  }
  ::freeifaddrs(list);
  return addresses;
}

NetAddress CLocalAddresses::SystemRoute(const NetAddress& peer, int port) {
  if (peer.IsNone()) return {};
  // Connecting a datagram socket sends nothing; it only makes the system
  // choose the route, and with it the address it would send from.
  const int family = peer.IsIPv4() ? AF_INET : AF_INET6;
  const int fd = ::socket(family, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {};
  const net::SockAddress to = net::ToSockAddress(peer, static_cast<uint16_t>(port), family);
  net::SockAddress from;
  from.length = sizeof from.storage;
  NetAddress source;
  if (::connect(fd, to.get(), to.length) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&from.storage), &from.length) == 0) {
    source = net::FromSockAddress(from.get(), from.length).Host();
  }
  ::close(fd);
  return source;
}

CLocalAddresses::CLocalAddresses(const NetAddress& bound, int port, Interfaces interfaces, Route route)
    : bound_(bound.Host()), port_(port), interfaces_(std::move(interfaces)), route_(std::move(route)) {}

std::vector<NetAddress> CLocalAddresses::All() const {
  if (!bound_.IsNone()) return {bound_};
  std::vector<NetAddress> own;
  for (const NetAddress& address : interfaces_ ? interfaces_() : std::vector<NetAddress>{}) {
    const NetAddress host = address.Host();
    // A link-local address needs the link named with it, which no client's
    // address carries.
    if (host.IsNone() || host.IsLoopback() || host.IsUnspecified() || (host.IsIPv6() && host.IsLinkLocal()))
      continue;
    if (std::find(own.begin(), own.end(), host) == own.end()) own.push_back(host);
  }
  return own;
}

NetAddress CLocalAddresses::Toward(const NetAddress& peer) const {
  if (!bound_.IsNone()) return bound_;
  if (const NetAddress source = route_ ? route_(peer, port_).Host() : NetAddress();
      !source.IsNone() && !source.IsLoopback()) {
    return source;
  }
  const std::vector<NetAddress> own = All();
  return own.empty() ? NetAddress() : own.front();
}

bool CLocalAddresses::IsOwn(const NetAddress& address) const {
  const std::vector<NetAddress> own = All();
  return std::any_of(own.begin(), own.end(), [&](const NetAddress& a) { return a.SameHost(address); });
}

std::vector<NetAddress> CLocalAddresses::Reachable() const {
  std::vector<NetAddress> reachable;
  for (const NetAddress& address : All()) {
    if (!bound_.IsNone() || !address.IsIPv6() || address.IsGlobalIPv6()) reachable.push_back(address);
  }
  return reachable;
}

std::vector<std::string> CLocalAddresses::ForAFriend() const {
  std::vector<std::string> texts;
  for (const NetAddress& address : Reachable())
    texts.push_back(address.TextWithPort(static_cast<uint16_t>(port_), net::kDefaultPort));
  return texts;
}
