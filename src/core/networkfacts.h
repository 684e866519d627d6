#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/netaddress.h"

// What the dialogs need to know of the network: this copy's own addresses,
// the text of addresses, and name resolution.
class NetworkFacts {
 public:
  virtual ~NetworkFacts() = default;

  // Every address of this computer a friend could call, never a loopback
  // address unless the program was bound to it.
  virtual std::vector<NetAddress> OwnAddresses() const = 0;
  virtual bool IsOwnAddress(const NetAddress& address) const = 0;
  // None when the text is not an address a client may have.
  virtual NetAddress ParseAddress(const std::string& text) const = 0;
  // Every address of the host, dotted, in the resolver's order, handed to
  // done later on the main thread; empty when the host is not found, which
  // the caller tells the user in its own words.
  using Resolved = std::function<void(const std::vector<std::string>& dotted)>;
  virtual void ResolveAll(const std::string& host, Resolved done) = 0;
};
