#include "net/cnetworkfacts.h"

#include "core/hostresolver.h"
#include "net/clocaladdresses.h"

std::vector<NetAddress> CNetworkFacts::OwnAddresses() const {
  return own_.All();
}

bool CNetworkFacts::IsOwnAddress(const NetAddress& address) const {
  return own_.IsOwn(address);
}

NetAddress CNetworkFacts::ParseAddress(const std::string& text) const {
  const NetAddress address = NetAddress::Parse(text);
  return address.IsIPv4() && !address.IsUnspecified() ? address : NetAddress();
}

void CNetworkFacts::ResolveAll(const std::string& host, Resolved done) {
  resolver_.Resolve(host, [done = std::move(done)](const std::vector<NetAddress>& addresses) {
    std::vector<std::string> dotted;
    for (const NetAddress& address : addresses) dotted.push_back(address.Text());
    done(dotted);
  });
}
