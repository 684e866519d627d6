#include "net/clocaladdresses.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>

#include "net/transport.h"

std::vector<uint32_t> CLocalAddresses::SystemInterfaces() {
  std::vector<uint32_t> addresses;
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return addresses;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !(entry->ifa_flags & IFF_UP)) continue;
    addresses.push_back(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
  }
  ::freeifaddrs(list);
  return addresses;
}

uint32_t CLocalAddresses::SystemRoute(uint32_t peer, int port) {
  // Connecting a datagram socket sends nothing; it only makes the system
  // choose the route, and with it the address it would send from.
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = peer;
  sockaddr_in from{};
  socklen_t length = sizeof from;
  uint32_t source = 0;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&from), &length) == 0) {
    source = from.sin_addr.s_addr;
  }
  ::close(fd);
  return source;
}

bool CLocalAddresses::IsLoopback(uint32_t address) {
  return (ntohl(address) >> 24) == 127;
}

CLocalAddresses::CLocalAddresses(uint32_t bound, int port, Interfaces interfaces, Route route)
    : bound_(bound), port_(port), interfaces_(std::move(interfaces)), route_(std::move(route)) {}

std::vector<uint32_t> CLocalAddresses::All() const {
  if (bound_ != 0) return {bound_};
  std::vector<uint32_t> own;
  for (const uint32_t address : interfaces_ ? interfaces_() : std::vector<uint32_t>{}) {
    if (address != 0 && !IsLoopback(address) && std::find(own.begin(), own.end(), address) == own.end())
      own.push_back(address);
  }
  return own;
}

uint32_t CLocalAddresses::Toward(uint32_t peer) const {
  if (bound_ != 0) return bound_;
  if (const uint32_t source = route_ ? route_(peer, port_) : 0; source != 0 && !IsLoopback(source))
    return source;
  const std::vector<uint32_t> own = All();
  return own.empty() ? 0 : own.front();
}

std::vector<std::string> CLocalAddresses::ForAFriend() const {
  std::vector<std::string> texts;
  for (const uint32_t address : All()) {
    texts.push_back(net::AddressText(address) +
                    (port_ == net::kDefaultPort ? "" : ":" + std::to_string(port_)));
  }
  return texts;
}

bool CLocalAddresses::IsOwn(uint32_t address) const {
  const std::vector<uint32_t> own = All();
  return address != 0 && std::find(own.begin(), own.end(), address) != own.end();
}
