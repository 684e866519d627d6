#pragma once

#include "core/networkfacts.h"

class CLocalAddresses;
class HostResolver;

// The network facts of this copy: its own addresses are those it answers
// on, and a client's address is a dotted IPv4 address.
class CNetworkFacts : public NetworkFacts {
 public:
  CNetworkFacts(const CLocalAddresses& own, HostResolver& resolver) : own_(own), resolver_(resolver) {}

  std::vector<NetAddress> OwnAddresses() const override;
  bool IsOwnAddress(const NetAddress& address) const override;
  NetAddress ParseAddress(const std::string& text) const override;
  void ResolveAll(const std::string& host, Resolved done) override;

 private:
  const CLocalAddresses& own_;
  HostResolver& resolver_;
};
