#include "net/transport.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdlib>
#include <ctime>

namespace net {

std::vector<NetAddress> LookUpHost(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* result = nullptr;
  std::vector<NetAddress> addresses;
  if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0) return addresses;
  for (const addrinfo* ai = result; ai; ai = ai->ai_next) {
    if (ai->ai_family != AF_INET || !ai->ai_addr) continue;
    addresses.push_back(NetAddress::IPv4(reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr));
  }
  ::freeaddrinfo(result);
  return addresses;
}

void StartNetwork() {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
}
void StopNetwork() {}

}  // namespace net
