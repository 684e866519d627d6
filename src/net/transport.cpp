#include "net/transport.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "net/sockaddress.h"

namespace net {

std::vector<NetAddress> LookUpHost(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* result = nullptr;
  std::vector<NetAddress> addresses;
  if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0) return addresses;
  for (const addrinfo* ai = result; ai; ai = ai->ai_next) {
    const NetAddress address = FromSockAddress(ai->ai_addr, ai->ai_addrlen).Host();
    if (!address.IsNone() && std::find(addresses.begin(), addresses.end(), address) == addresses.end())
      addresses.push_back(address);
  }
  ::freeaddrinfo(result);
  // A name with both kinds gives its IPv4 address first, as it always did.
  std::stable_partition(addresses.begin(), addresses.end(), [](const NetAddress& a) { return a.IsIPv4(); });
  return addresses;
}

void StartNetwork() {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
}
void StopNetwork() {}

}  // namespace net
