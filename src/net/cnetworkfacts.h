#pragma once

#include "core/networkfacts.h"

class HostResolver;

// The network facts of this copy: its own address is the one it answers on
// (the bound address, or the host's first address).
class CNetworkFacts : public NetworkFacts {
 public:
  CNetworkFacts(uint32_t ownAddress, HostResolver& resolver) : ownAddress_(ownAddress), resolver_(resolver) {}

  uint32_t OwnAddress() const override { return ownAddress_; }
  uint32_t ParseAddress(const std::string& text) const override;
  std::string AddressText(uint32_t address) const override;
  void ResolveAll(const std::string& host, Resolved done) override;

 private:
  uint32_t ownAddress_;
  HostResolver& resolver_;
};
