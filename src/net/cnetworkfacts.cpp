#include "net/cnetworkfacts.h"

#include "core/hostresolver.h"
#include "net/clocaladdresses.h"
#include "net/transport.h"

std::vector<uint32_t> CNetworkFacts::OwnAddresses() const {
  return own_.All();
}

bool CNetworkFacts::IsOwnAddress(uint32_t address) const {
  return own_.IsOwn(address);
}

uint32_t CNetworkFacts::ParseAddress(const std::string& text) const {
  return net::ParseAddress(text);
}

std::string CNetworkFacts::AddressText(uint32_t address) const {
  return net::AddressText(address);
}

void CNetworkFacts::ResolveAll(const std::string& host, Resolved done) {
  resolver_.Resolve(host, [done = std::move(done)](const std::vector<uint32_t>& addresses) {
    std::vector<std::string> dotted;
    for (const uint32_t address : addresses) dotted.push_back(net::AddressText(address));
    done(dotted);
  });
}
