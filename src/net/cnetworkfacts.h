#pragma once

#include "core/networkfacts.h"

class MessageBoxPort;

// The network facts of this copy: its own address is the one it answers on
// (the bound address, or the host's first address), and a failed lookup
// tells the user through the program's boxes.
class CNetworkFacts : public NetworkFacts {
 public:
  CNetworkFacts(uint32_t ownAddress, MessageBoxPort& boxes) : ownAddress_(ownAddress), boxes_(boxes) {}

  uint32_t OwnAddress() const override { return ownAddress_; }
  uint32_t ParseAddress(const std::string& text) const override;
  std::string AddressText(uint32_t address) const override;
  bool ResolveAll(const std::string& host, std::vector<std::string>& dotted) override;

 private:
  uint32_t ownAddress_;
  MessageBoxPort& boxes_;
};
