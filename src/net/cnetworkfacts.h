#pragma once

#include "core/networkfacts.h"

class CLocalAddresses;
class HostResolver;
class MessageBoxPort;

// The network facts of this copy: its own addresses are those it answers
// on, and a failed lookup tells the user through the program's boxes.
class CNetworkFacts : public NetworkFacts {
 public:
  CNetworkFacts(const CLocalAddresses& own, MessageBoxPort& boxes, HostResolver& resolver)
      : own_(own), boxes_(boxes), resolver_(resolver) {}

  std::vector<uint32_t> OwnAddresses() const override;
  bool IsOwnAddress(uint32_t address) const override;
  uint32_t ParseAddress(const std::string& text) const override;
  std::string AddressText(uint32_t address) const override;
  void ResolveAll(const std::string& host, Resolved done) override;

 private:
  const CLocalAddresses& own_;
  MessageBoxPort& boxes_;
  HostResolver& resolver_;
};
