#include "net/transport.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "core/messageboxport.h"

namespace net {
namespace {

std::atomic<int> g_netPort{kDefaultPort};
constexpr const char* kDnsFailed = "DNS query failed. Host name not found";

// Every IPv4 address of a name, in the resolver's order.
std::vector<uint32_t> Resolve(const std::string& host) {
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

}  // namespace

void SetNetPort(int port) {
  g_netPort.store(port);
}
int GetNetPort() {
  return g_netPort.load();
}

void StartNetwork() {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
}
void StopNetwork() {}

int OpenSocket(int port, uint32_t bindAddress, std::string* error) {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error) *error = std::strerror(errno);
    return kNoSocket;
  }
  // No SO_REUSEADDR: on Linux it lets a second UDP socket share the port
  // silently, so a second program on the same port would steal datagrams
  // instead of being told the port is taken. UDP has no TIME_WAIT to skip.
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = bindAddress;
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (error) *error = std::strerror(errno);
    ::close(fd);
    return kNoSocket;
  }
  return fd;
}

void WakeReceivers(int socket) {
  // On an unconnected UDP socket Linux answers ENOTCONN but still marks the
  // socket shut and wakes a blocked recvfrom, which is all that is wanted.
  if (socket >= 0) ::shutdown(socket, SHUT_RDWR);
}

void CloseSocket(int& socket) {
  if (socket >= 0) {
    WakeReceivers(socket);
    ::close(socket);
  }
  socket = kNoSocket;
}

uint32_t LocalAddress() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return 0;
  const auto addresses = Resolve(name);
  return addresses.empty() ? 0 : addresses.front();
}

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

void SendDatagram(int socket, uint32_t peer, int port, const uint8_t* bytes, std::size_t length) {
  if (socket < 0 || !bytes) return;
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(static_cast<uint16_t>(port));
  to.sin_addr.s_addr = peer;
  ::sendto(socket, bytes, length, MSG_DONTWAIT | MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&to),
           sizeof to);
}

void SendToPeer(int socket, const uint8_t* bytes, std::size_t length, uint32_t peer) {
  SendDatagram(socket, peer, GetNetPort(), bytes, length);
}

void SendToPeer(int socket, const uint8_t* bytes, std::size_t length, const std::string& peer) {
  const uint32_t address = ParseAddress(peer);
  if (address != 0) SendToPeer(socket, bytes, length, address);
}

bool ResolveFirst(const std::string& host, std::string& dotted, MessageBoxPort& boxes) {
  const auto addresses = Resolve(host);
  if (addresses.empty()) {
    boxes.ShowError(kDnsFailed);
    return false;
  }
  dotted = AddressText(addresses.front());
  return true;
}

bool ResolveAll(const std::string& host, std::vector<std::string>& dotted, MessageBoxPort& boxes) {
  const auto addresses = Resolve(host);
  if (addresses.empty()) {
    boxes.ShowError(kDnsFailed);
    return false;
  }
  for (const uint32_t a : addresses) dotted.push_back(AddressText(a));
  return true;
}

}  // namespace net
