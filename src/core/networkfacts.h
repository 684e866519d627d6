#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What the dialogs need to know of the network: this copy's own address,
// the dotted form of IPv4 addresses, and name resolution. Addresses are in
// network byte order.
class NetworkFacts {
 public:
  virtual ~NetworkFacts() = default;

  // Every address of this computer a friend could call, never a loopback
  // address unless the program was bound to it.
  virtual std::vector<uint32_t> OwnAddresses() const = 0;
  virtual bool IsOwnAddress(uint32_t address) const = 0;
  // 0 when the text is not a dotted IPv4 address.
  virtual uint32_t ParseAddress(const std::string& text) const = 0;
  virtual std::string AddressText(uint32_t address) const = 0;
  // Every address of the host, dotted, in the resolver's order, handed to
  // done later on the main thread; empty when the host is not found, which
  // the caller tells the user in its own words.
  using Resolved = std::function<void(const std::vector<std::string>& dotted)>;
  virtual void ResolveAll(const std::string& host, Resolved done) = 0;
};
