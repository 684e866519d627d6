#include "core/netaddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cstring>

NetAddress NetAddress::IPv4(uint32_t networkOrder, uint16_t port) {
  NetAddress address;
  address.family_ = Family::kIPv4;
  std::memcpy(address.bytes_.data(), &networkOrder, sizeof networkOrder);
  address.port_ = port;
  return address;
}

NetAddress NetAddress::IPv6(const Bytes& bytes, uint16_t port) {
  NetAddress address;
  address.family_ = Family::kIPv6;
  address.bytes_ = bytes;
  address.port_ = port;
  return address;
}

NetAddress NetAddress::Parse(std::string_view text) {
  // inet_pton wants a terminated text; anything longer is no address, and
  // neither is one that a zero byte would cut short.
  char buffer[INET6_ADDRSTRLEN] = {};
  if (text.empty() || text.size() >= sizeof buffer || text.find('\0') != std::string_view::npos) return {};
  std::copy(text.begin(), text.end(), buffer);
  in_addr v4{};
  if (::inet_pton(AF_INET, buffer, &v4) == 1) return IPv4(v4.s_addr);
  Bytes v6{};
  if (::inet_pton(AF_INET6, buffer, v6.data()) == 1) return IPv6(v6);
  return {};
}

uint32_t NetAddress::IPv4NetworkOrder() const {
  if (!IsIPv4()) return 0;
  uint32_t networkOrder = 0;
  std::memcpy(&networkOrder, bytes_.data(), sizeof networkOrder);
  return networkOrder;
}

NetAddress NetAddress::WithPort(uint16_t port) const {
  NetAddress address = *this;
  if (!IsNone()) address.port_ = port;
  return address;
}

std::string NetAddress::Text() const {
  char text[INET6_ADDRSTRLEN] = {};
  if (IsIPv4()) {
    in_addr v4{};
    v4.s_addr = IPv4NetworkOrder();
    ::inet_ntop(AF_INET, &v4, text, sizeof text);
  } else if (IsIPv6()) {
    ::inet_ntop(AF_INET6, bytes_.data(), text, sizeof text);
  }
  return text;
}

bool NetAddress::IsLoopback() const {
  if (IsIPv4()) return bytes_[0] == 127;
  if (!IsIPv6()) return false;
  return std::all_of(bytes_.begin(), bytes_.end() - 1, [](uint8_t b) { return b == 0; }) && bytes_[15] == 1;
}

bool NetAddress::IsUnspecified() const {
  if (IsNone()) return false;
  const std::size_t length = IsIPv4() ? 4 : 16;
  return std::all_of(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(length),
                     [](uint8_t b) { return b == 0; });
}

bool NetAddress::IsLinkLocal() const {
  if (IsIPv4()) return bytes_[0] == 169 && bytes_[1] == 254;
  return IsIPv6() && bytes_[0] == 0xfe && (bytes_[1] & 0xc0) == 0x80;
}

bool NetAddress::IsGlobalIPv6() const {
  return IsIPv6() && (bytes_[0] & 0xe0) == 0x20;
}

bool NetAddress::IsMappedIPv4() const {
  return IsIPv6() && std::all_of(bytes_.begin(), bytes_.begin() + 10, [](uint8_t b) { return b == 0; }) &&
         bytes_[10] == 0xff && bytes_[11] == 0xff;
}

std::string NetAddress::TextWithPort(uint16_t port, uint16_t defaultPort) const {
  if (IsNone()) return "";
  if (port == defaultPort) return Text();
  return (IsIPv6() ? "[" + Text() + "]" : Text()) + ":" + std::to_string(port);
}
