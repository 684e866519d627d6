#include "net/cnetworkfacts.h"

#include "core/hostresolver.h"
#include "net/clocaladdresses.h"

std::vector<NetAddress> CNetworkFacts::OwnAddresses() const {
  return own_.Reachable();
}

bool CNetworkFacts::IsOwnAddress(const NetAddress& address) const {
  return own_.IsOwn(address);
}

NetAddress CNetworkFacts::ParseAddress(const std::string& text) const {
  const NetAddress address = NetAddress::Parse(text);
  if (address.IsNone() || address.IsUnspecified()) return {};
  // An IPv6 client is another computer: never this one's loopback, never
  // an IPv4 address in disguise (its datagrams come as IPv4), never a
  // link-local address, which only names a peer together with its link.
  if (address.IsIPv6() && (address.IsLoopback() || address.IsMappedIPv4() || address.IsLinkLocal()))
    return {};
  return address;
}

void CNetworkFacts::ResolveAll(const std::string& host, Resolved done) {
  resolver_.Resolve(host, [done = std::move(done)](const std::vector<NetAddress>& addresses) {
    std::vector<std::string> dotted;
    for (const NetAddress& address : addresses) dotted.push_back(address.Text());
    done(dotted);
  });
}
