#include "net/clocaladdresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "net/transport.h"

std::vector<NetAddress> CLocalAddresses::SystemInterfaces() {
  std::vector<NetAddress> addresses;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return addresses;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !(entry->ifa_flags & IFF_UP)) continue;
    addresses.push_back(
        NetAddress::IPv4(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr));
  }
  ::freeifaddrs(list);
  return addresses;
}

NetAddress CLocalAddresses::SystemRoute(const NetAddress& peer, int port) {
  if (!peer.IsIPv4()) return {};
  // Connecting a datagram socket sends nothing; it only makes the system
  // choose the route, and with it the address it would send from.
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {};
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = peer.IPv4NetworkOrder();
  sockaddr_in from{};
  socklen_t length = sizeof from;
  NetAddress source;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&from), &length) == 0) {
    source = NetAddress::IPv4(from.sin_addr.s_addr);
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
    if (host.IsNone() || host.IsLoopback() || host.IsUnspecified()) continue;
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

std::vector<std::string> CLocalAddresses::ForAFriend() const {
  std::vector<std::string> texts;
  for (const NetAddress& address : All())
    texts.push_back(address.Text() + (port_ == net::kDefaultPort ? "" : ":" + std::to_string(port_)));
  return texts;
}
