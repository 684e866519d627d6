#include "net/cnetworkfacts.h"

#include "net/transport.h"

uint32_t CNetworkFacts::ParseAddress(const std::string& text) const {
  return net::ParseAddress(text);
}

std::string CNetworkFacts::AddressText(uint32_t address) const {
  return net::AddressText(address);
}

bool CNetworkFacts::ResolveAll(const std::string& host, std::vector<std::string>& dotted) {
  return net::ResolveAll(host, dotted, boxes_);
}
