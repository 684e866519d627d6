#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The address of a peer's copy of the program, as one value from the socket
// to the client list and back: IPv4 or IPv6, and the UDP port it was seen
// on or is to be reached at (0: not known, the netPort is meant). An IPv4
// peer seen on a dual-stack socket is an IPv4 address, never a mapped one.
class NetAddress {
 public:
  enum class Family : uint8_t { kNone, kIPv4, kIPv6 };
  using Bytes = std::array<uint8_t, 16>;

  NetAddress() = default;  // none
  // networkOrder: as in_addr's s_addr holds it.
  static NetAddress IPv4(uint32_t networkOrder, uint16_t port = 0);
  static NetAddress IPv6(const Bytes& bytes, uint16_t port = 0);
  // The text of an address alone, dotted IPv4 ("10.0.0.7") or IPv6
  // ("2001:db8::7"), read exactly: anything else, a port or a scope
  // included, is none.
  static NetAddress Parse(std::string_view text);

  Family family() const { return family_; }
  bool IsNone() const { return family_ == Family::kNone; }
  bool IsIPv4() const { return family_ == Family::kIPv4; }
  bool IsIPv6() const { return family_ == Family::kIPv6; }
  // 0 for anything but IPv4.
  uint32_t IPv4NetworkOrder() const;
  const Bytes& bytes() const { return bytes_; }  // IPv4 in the first four
  uint16_t port() const { return port_; }
  NetAddress WithPort(uint16_t port) const;
  // The computer alone: the port not known, so the netPort is meant.
  NetAddress Host() const { return WithPort(0); }

  // The address without the port, in its shortest usual form; "" for none.
  std::string Text() const;
  bool IsLoopback() const;
  bool IsUnspecified() const;  // 0.0.0.0 or ::
  // fe80::/10 or 169.254.0.0/16: meaningful on one link only.
  bool IsLinkLocal() const;
  // An IPv6 address of the internet's (2000::/3); IPv4 is never one.
  bool IsGlobalIPv6() const;
  // ::ffff:a.b.c.d, an IPv4 address written as IPv6.
  bool IsMappedIPv4() const;
  // As a friend types it: the text, with the port after a colon where it
  // is not defaultPort ("[2001:db8::7]:5000" for IPv6).
  std::string TextWithPort(uint16_t port, uint16_t defaultPort) const;
  // The same computer, whatever the ports.
  bool SameHost(const NetAddress& other) const { return family_ == other.family_ && bytes_ == other.bytes_; }

  friend auto operator<=>(const NetAddress&, const NetAddress&) = default;

 private:
  Family family_ = Family::kNone;
  Bytes bytes_{};
  uint16_t port_ = 0;
};
