#include "net/transport.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>


namespace net {

std::vector<uint32_t> LookUpHost(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* result = nullptr;
  std::vector<uint32_t> addresses;
  if (host.empty() || ::getaddrinfo(host.c_str(), nullptr, &hints, &result) != 0) return addresses;
  for (const addrinfo* ai = result; ai; ai = ai->ai_next) {
    if (ai->ai_family != AF_INET || !ai->ai_addr) continue;
    const auto* in = reinterpret_cast<const sockaddr_in*>(ai->ai_addr);
    addresses.push_back(in->sin_addr.s_addr);
  }
  ::freeaddrinfo(result);
  return addresses;
}

void StartNetwork() {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
}
void StopNetwork() {}

std::string AddressText(uint32_t address) {
  in_addr in{};
  in.s_addr = address;
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &in, text, sizeof text);
  return text;
}

uint32_t ParseAddress(const std::string& text) {
  in_addr in{};
  if (::inet_pton(AF_INET, text.c_str(), &in) != 1) return 0;
  return in.s_addr;
}

}  // namespace net
