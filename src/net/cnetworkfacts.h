#pragma once

#include "core/networkfacts.h"

class CLocalAddresses;
class HostResolver;

// The network facts of this copy: its own addresses are those it answers
// on.
class CNetworkFacts : public NetworkFacts {
 public:
  CNetworkFacts(const CLocalAddresses& own, HostResolver& resolver) : own_(own), resolver_(resolver) {}

  std::vector<uint32_t> OwnAddresses() const override;
  bool IsOwnAddress(uint32_t address) const override;
  uint32_t ParseAddress(const std::string& text) const override;
  std::string AddressText(uint32_t address) const override;
  void ResolveAll(const std::string& host, Resolved done) override;

 private:
  const CLocalAddresses& own_;
  HostResolver& resolver_;
};
